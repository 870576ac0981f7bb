// The font dialog, the About box, the stand-ins for the fonts' names, and
// that every text reads in a light and a dark scheme (on rendered pixels).
#include "about/frmAbout.h"
#include "fontdialog/FontDialogLogic.h"
#include "fontdialog/Form2.h"
#include "platform/FontMapping.h"
#include "platform/ReadableColours.h"
#include "support/Editor.h"
#include "support/Legibility.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::test;
using S = QsciScintillaBase;

namespace {

const PlatformCall notFound{"messageBox", "Font not available, install into Fonts in Control Panel",
                            "Not Found", 0};
// Rows of two fonts of the list that the machine lacks.
constexpr int impact = 6, verdana = 13;

// Font row, size row, bold, italic, strikeout, underline: as stored on closing.
QList<int> stored(const FontSettings& s) {
    return {s.fontIndex, s.sizeIndex, s.bold, s.italic, s.strikeout, s.underline};
}

struct FontEditor : Editor {
    // What the text is drawn with: family, points, bold/italic/underline/
    // strikeout as letters, foreground, background.
    QString look() {
        const auto get = [this](int m) { return text().SendScintilla(unsigned(m), 0UL); };
        const auto rgb = [&](int m) {
            return QColor(get(m) & 0xff, (get(m) >> 8) & 0xff, get(m) >> 16).name();
        };
        char name[256] = {};
        text().SendScintilla(S::SCI_STYLEGETFONT, 0UL, static_cast<const char*>(name));
        QString flags = QStringLiteral("%1%2%3%4")
                            .arg(get(S::SCI_STYLEGETBOLD) ? 'b' : '-')
                            .arg(get(S::SCI_STYLEGETITALIC) ? 'i' : '-')
                            .arg(get(S::SCI_STYLEGETUNDERLINE) ? 'u' : '-')
                            .arg(text().isStrikeout() ? 's' : '-');
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(name, QString::number(get(S::SCI_STYLEGETSIZEFRACTIONAL) / 100), flags,
                 rgb(S::SCI_STYLEGETFORE), rgb(S::SCI_STYLEGETBACK));
    }
    Form2* dialog() const { return qobject_cast<Form2*>(form.form2Window()); }
    Form2* openFont() {
        form.action(QStringLiteral("font"))->trigger();
        return dialog();
    }
    template <typename W = QAbstractButton> W* control(const char* name) const {
        return dialog()->findChild<W*>(QString::fromLatin1(name));
    }
    QAbstractButton* colour(int index) const {
        for (QRadioButton* b : dialog()->findChildren<QRadioButton*>(QStringLiteral("Option1")))
            if (b->property("index").toInt() == index)
                return b;
        return nullptr;
    }
    // What the controls show: as stored(), the target (0 Fore, 1 Back, -1
    // none) and the colours shown selected.
    QList<int> shown() const {
        QList<int> state{control<QListWidget>("List1")->currentRow(),
                         control<QListWidget>("List2")->currentRow()};
        for (const char* box : {"Check2", "Check3", "Check4", "Check5"})
            state << control(box)->isChecked();
        state << (control("Option3")->isChecked() ? 1 : control("Option2")->isChecked() ? 0 : -1);
        for (int i = 0; i < 8; ++i)
            if (colour(i)->isChecked())
                state << i;
        return state;
    }
    void clickRow(const char* listName, int row) {
        auto* list = control<QListWidget>(listName);
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void click(const char* name) { click(control(name)); }
    QList<PlatformCall> messages() const { return platform.callsOf(QStringLiteral("messageBox")); }
};

// Where a control's caption is drawn, in its window.
QRect captionOf(QAbstractButton* button, QStyle::SubElement contents, QWidget* window) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()
        ->subElementRect(contents, &option, button)
        .translated(button->mapTo(window, QPoint()));
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QApplication::setPalette(QApplication::style()->standardPalette()); }

    void firstOpeningThenFontAgain() {
        FontEditor e;
        Form2* dialog = e.openFont();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Font..."));
        // "MS Sans Serif", "10", "Fore": the default text colour is none of the eight.
        QCOMPARE(e.shown(), QList<int>({9, 1, 0, 0, 0, 0, 0}));
        QVERIFY(!e.text().foregroundColour().has_value());
        QCOMPARE(e.look(), QStringLiteral("DejaVu Sans 10 ---- #000000 #ffffff"));
        // "Font...." while open only brings it forward, even with the text
        // area changed behind its back.
        e.text().setFontPointSize(30);
        QCOMPARE(e.openFont(), dialog);
        QCOMPARE(e.platform.callsOf(QStringLiteral("show")).size(), 2);
        QVERIFY(e.look().startsWith("DejaVu Sans 30 "));
        QVERIFY(e.messages().isEmpty());
    }

    // Captions, list entries and the keyboard's walk, which takes the
    // colours in their own order, not their screen order; every control
    // within its frame, overlapping none of its neighbours.
    void keyboardOrder() {
        FontEditor e;
        QStringList seen;
        for (QGroupBox* frame : e.openFont()->findChildren<QGroupBox*>())
            seen << frame->objectName() + ' ' + frame->title();
        for (const char* list : {"List1", "List2"})
            for (int i = 0; i < e.control<QListWidget>(list)->count(); ++i)
                seen << e.control<QListWidget>(list)->item(i)->text();
        QWidget* at = e.colour(0);
        do {
            if (at->focusPolicy() & Qt::TabFocus)
                seen << (qobject_cast<QAbstractButton*>(at)
                             ? qobject_cast<QAbstractButton*>(at)->text()
                             : at->objectName());
            at = at->nextInFocusChain();
        } while (at != e.colour(0) && seen.size() < 60);
        QCOMPARE(
            seen.join(','),
            QStringLiteral(
                "Frame1 FONT,Frame5 Select,Frame2 COLOR,Frame3 STYLE,Frame4 SIZE,Arial,Arial Black,"
                "Century Gothic,Comic Sans MS,Courier,Courier New,Impact,Lucida Handwriting,Modern,"
                "MS Sans Serif,MS Serif,MS Song,Times New "
                "Roman,Verdana,8,10,11,12,13,14,15,16,17,18,"
                "19,20,21,22,23,24,Black,Blue,Green,Cyan,Magenta,White,Red,Yellow,List1,Bold,"
                "Italic,"
                "Strikeout,Underline,List2,Fore,Back"));
        for (QWidget* w : e.dialog()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            for (QWidget* part : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly) << w) {
                QVERIFY2(part->parentWidget()->rect().contains(part->geometry()),
                         qPrintable(part->objectName()));
                for (QWidget* other :
                     part->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    QVERIFY(other == part || !other->isVisible() ||
                            !other->geometry().intersects(part->geometry()));
            }
    }

    void sizesAndStylesApplyToTheWholeText() {
        FontEditor e;
        e.text().appendBytes("ab");
        e.openFont();
        // The size is the row plus 9 points, never the entry's text.
        for (const auto& [row, points] : {std::pair{0, " 9 "}, {1, " 10 "}, {15, " 24 "}}) {
            e.clickRow("List2", 5); // away from the row first
            e.clickRow("List2", row);
            QVERIFY2(e.look().contains(points), qPrintable(e.look()));
        }
        for (const char* name : {"Check2", "Check3", "Check5", "Check3", "Check4"})
            e.click(name);
        QVERIFY2(e.look().contains(" b-us "), qPrintable(e.look()));
        // Strikeout covers the text there is and the text typed afterwards.
        e.text().setSelectionRange(2, 2);
        QTest::keyClicks(&e.text(), QStringLiteral("cd"));
        QCOMPARE(e.text().bytes(), QByteArray("abcd"));
        for (unsigned long pos : {0UL, 3UL})
            QCOMPARE(e.text().SendScintilla(S::SCI_INDICATORVALUEAT, 8UL, pos), 1);
    }

    void coloursFollowTheTarget() {
        FontEditor e;
        e.openFont();
        // The paper starts white, so "Back" finds "White".
        e.click("Option3");
        QCOMPARE(e.shown().mid(6), QList<int>({1, 1}));
        e.click(e.colour(2));
        QVERIFY(e.look().endsWith(" #ff0000"));
        // "Fore" matches nothing, so "Red" stays shown and nothing is applied.
        e.click("Option2");
        QCOMPARE(e.shown().mid(6), QList<int>({0, 2}));
        QVERIFY(!e.text().foregroundColour().has_value());
        QStringList colours;
        for (int i = 0; i < 8; ++i) {
            e.click(e.colour(i));
            colours << e.colour(i)->text() + ' ' + e.look().section(' ', -2);
        }
        QCOMPARE(colours, (QStringList{"Black #000000 #ff0000", "White #ffffff #ff0000",
                                       "Red #ff0000 #ff0000", "Blue #0000ff #ff0000",
                                       "Green #00ff00 #ff0000", "Cyan #00ffff #ff0000",
                                       "Magenta #ff00ff #ff0000", "Yellow #ffff00 #ff0000"}));
    }

    void reopeningRestoresAndClosingTheMainWindowStores() {
        FontEditor e;
        e.form.show();
        e.openFont();
        e.clickRow("List1", 5); // "Courier New"
        e.clickRow("List2", 5); // "14"
        e.click("Check2");
        e.click("Check4");
        e.click(e.colour(3)); // blue text
        e.click("Option3");
        e.click(e.colour(6)); // magenta paper
        QPointer<Form2> old = e.dialog();
        old->close(); // its deletion still waits for the event loop
        QCOMPARE(stored(e.fonts), QList<int>({5, 5, 1, 0, 1, 0}));
        QVERIFY(e.openFont() != old);
        // The target is "Fore" again, showing the entry that matches the text.
        QCOMPARE(e.shown(), QList<int>({5, 5, 1, 0, 1, 0, 0, 3}));
        QCOMPARE(e.look(), QStringLiteral("Liberation Mono 14 b--s #0000ff #ff00ff"));
        // Closing the main window closes the dialog through its closing steps.
        e.clickRow("List1", 0);
        e.click("Check5");
        QPointer<Form2> dialog = e.dialog();
        QVERIFY(e.form.close());
        QCOMPARE(e.platform.callsOf(QStringLiteral("close")),
                 QList<PlatformCall>({{"close", "Form2", {}, -1}}));
        QCOMPARE(stored(e.fonts), QList<int>({0, 5, 1, 0, 1, 1}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }

    // Esc closes through the closing steps, as the close box does, even
    // from a list, which has keys of its own.
    void escapeClosesAndStores() {
        FontEditor e;
        QVERIFY(e.showActive());
        QPointer<Form2> dialog = e.openFont();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        e.clickRow("List2", 3); // "12"
        e.click("Check3");
        e.control<QWidget>("List1")->setFocus();
        QTest::keyClick(e.control<QWidget>("List1"), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(stored(e.fonts), QList<int>({9, 3, 0, 1, 0, 0}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }

    // A click on a missing font returns to the entry before it, with one
    // message; the last good font outlives the window, and a stored font
    // failing at the next opening returns to it.
    void unavailableFontFallsBack() {
        FontEditor e;
        e.openFont();
        e.clickRow("List1", 12); // "Times New Roman"
        e.clickRow("List1", impact);
        QCOMPARE(e.messages(), QList<PlatformCall>{notFound});
        QCOMPARE(e.control<QListWidget>("List1")->currentRow(), 12);
        QVERIFY(e.look().startsWith("Liberation Serif "));
        e.dialog()->close();
        e.fonts.fontIndex = verdana;
        e.openFont();
        QCOMPARE(e.messages(), QList<PlatformCall>({notFound, notFound}));
        QCOMPARE(e.control<QListWidget>("List1")->currentRow(), 12);
        QVERIFY(e.look().startsWith("Liberation Serif "));
    }

    // A last good font uninstalled since it was applied ends the fall-back.
    void storedFontFailingTwiceStopsAfterTwoMessages() {
        FakePlatform platform;
        Text1 text;
        const QString family = text.fontFamily();
        FontDialogMemory memory{impact};
        FontDialogLogic logic(text, platform, memory);
        logic.openingSteps(FontSettings{.fontIndex = verdana});
        QCOMPARE(platform.callsOf(QStringLiteral("messageBox")),
                 QList<PlatformCall>({notFound, notFound}));
        QCOMPARE(logic.fontRow(), impact);
        QCOMPARE(text.fontFamily(), family);
    }

    // On a machine with DejaVu and Liberation and none of the names' own faces.
    void fontNamesHaveStandIns() {
        for (const auto& [name, family] : {std::pair{"Arial", "Liberation Sans"},
                                           {"Times New Roman", "Liberation Serif"},
                                           {"Courier New", "Liberation Mono"},
                                           {"Courier", "Liberation Mono"},
                                           {"MS Sans Serif", "DejaVu Sans"},
                                           {"DejaVu Serif", "DejaVu Serif"},
                                           {"Impact", ""}})
            QCOMPARE(installedFamilyFor(name), QString(family));
        QCOMPARE(dialogFont().family() + ' ' + QString::number(dialogFont().pointSize()),
                 QStringLiteral("DejaVu Sans 8"));
    }

    void openingShowsTheBox() {
        Editor e;
        e.form.show();
        e.form.action(QStringLiteral("About"))->trigger();
        auto* box = qobject_cast<frmAbout*>(e.form.aboutWindow());
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("About tarnpad"));
        QCOMPARE(box->findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 1.0.0"));
        QCOMPARE(box->findChild<QLabel*>("lblDisclaimer")->text(),
                 QStringLiteral("I made this to help myself avoid the hassles in the execution of "
                                "Java Files. It is not an IDE. Just have Fun!"));
        QCOMPARE(box->findChild<QLabel*>("picIcon")->pixmap().size(), QSize(32, 32));
        // A fixed-size, modeless dialog frame with only a close box, its
        // focus on the default button.
        QCOMPARE(box->windowType(), Qt::Dialog);
        QCOMPARE(box->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint),
                 Qt::WindowCloseButtonHint);
        QVERIFY(box->minimumSize() == box->maximumSize() && !box->isModal());
        QVERIFY(box->focusWidget() == box->findChild<QPushButton*>("cmdOK") &&
                box->findChild<QPushButton*>("cmdOK")->isDefault());
        // Three labels are black on any scheme; the texts fit their boxes.
        for (const char* name : {"lblTitle", "lblDescription", "lblDisclaimer"})
            QCOMPARE(box->findChild<QLabel*>(name)->palette().color(QPalette::WindowText),
                     QColor(Qt::black));
        for (QLabel* label : box->findChildren<QLabel*>())
            QVERIFY(label->heightForWidth(label->width()) <= label->height());
    }

    void enterAndEscCloseTheBoxWhereverTheFocusIs() {
        for (const auto& [label, key] :
             {std::pair{"lblDescription", Qt::Key_Return}, {"lblDisclaimer", Qt::Key_Escape}}) {
            Editor e;
            e.form.show();
            e.form.action(QStringLiteral("About"))->trigger();
            QPointer<QWidget> box = e.form.aboutWindow();
            QTest::keyClick(box->findChild<QWidget*>(label), key);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(box.isNull() && e.form.isVisible());
        }
    }

    void aboutTwiceGivesOneBoxClosedWithTheMainWindow() {
        Editor e;
        e.form.show();
        e.form.action(QStringLiteral("About"))->trigger();
        QPointer<QWidget> box = e.form.aboutWindow();
        e.form.action(QStringLiteral("About"))->trigger();
        QCOMPARE(e.form.aboutWindow(), box.data());
        QCOMPARE(e.form.findChildren<frmAbout*>().size(), 1);
        QCOMPARE(e.platform.callsOf("show").size(), 2); // which brings it forward
        QVERIFY(e.form.close());
        QCOMPARE(e.platform.callsOf("close"), QList<PlatformCall>({{"close", "frmAbout", {}, -1}}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
    }

    void contrastFollowsTheGuidelines() {
        const QColor grey76(0x76, 0x76, 0x76), grey77(0x77, 0x77, 0x77);
        for (const auto& [a, b, ratio] :
             {std::tuple{QColor(Qt::black), QColor(Qt::white), 2100},
              {grey76, grey76, 100},
              {QColor(Qt::white), grey76, 454}, // the lightest that reads
              {grey77, QColor(Qt::white), 448}})
            QCOMPARE(qRound(contrastRatio(a, b) * 100), ratio);
        // With no light scheme at all, black on a light ground.
        const QPalette dark(QColor(0xfc, 0xfc, 0xfc), QColor(0x20, 0x23, 0x26));
        const QPalette light = lightScheme(dark, dark);
        QCOMPARE(light.color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(light.color(QPalette::WindowText), QColor(Qt::black));
        QVERIFY(contrastRatio(Qt::black, light.color(QPalette::Window)) >= readableContrast);
    }

    // The text, the caret on the empty line below it and a selection in the
    // text area; the About box's labels and button; the font dialog's captions.
    void everyTextReads_data() {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        // As KDE's Breeze Dark: its selection (light text on a light blue) reads at 2.4:1.
        QTest::newRow("dark") << true;
    }
    void everyTextReads() {
        QFETCH(bool, dark);
        if (dark) {
            QPalette p(QColor(0x29, 0x2c, 0x30), QColor(0x20, 0x23, 0x26));
            for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                              QPalette::HighlightedText})
                p.setColor(role, QColor(0xfc, 0xfc, 0xfc));
            p.setColor(QPalette::Base, QColor(0x14, 0x16, 0x18));
            p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
            QApplication::setPalette(p);
        }
        FontEditor e;
        QVERIFY(e.showActive());
        Text1& text = e.text();
        text.SendScintilla(S::SCI_SETCARETPERIOD, 0UL); // steady, never between two blinks
        // Wider than the window, so a selection of it fills the line.
        text.appendBytes(QByteArray("    public static void main(String[] args) { ").repeated(3) +
                         "\n");
        text.setSelectionRange(text.byteLength(), text.byteLength());
        const int line = int(text.SendScintilla(S::SCI_TEXTHEIGHT, 0UL));
        const int width = text.viewport()->width();
        QList<std::tuple<QString, QImage, QRect>> regions{
            {"text", text.viewport()->grab().toImage(), QRect(0, 0, width, line)},
            {"caret", text.viewport()->grab().toImage(), QRect(0, line, 4, line)}};
        text.setSelectionRange(0, text.byteLength() - 1);
        // Past the paper's narrow left margin.
        regions.append(
            {"selected", text.viewport()->grab().toImage(), QRect(4, 0, width - 4, line)});
        e.form.action(QStringLiteral("About"))->trigger();
        QWidget* box = e.form.aboutWindow();
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->pixmap().isNull())
                regions.append({label->objectName(), box->grab().toImage(), label->geometry()});
        auto* ok = box->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        regions.append({"cmdOK", box->grab().toImage(), ok->geometry().adjusted(5, 5, -5, -5)});
        Form2* dialog = e.openFont();
        const QImage picture = dialog->grab().toImage();
        for (QGroupBox* frame : dialog->findChildren<QGroupBox*>()) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            option.text = frame->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            option.textAlignment = frame->alignment();
            option.lineWidth = 1;
            const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                               QStyle::SC_GroupBoxLabel, frame);
            regions.append({frame->title(), picture, title.translated(frame->mapTo(dialog, QPoint()))});
        }
        for (QRadioButton* option : dialog->findChildren<QRadioButton*>())
            regions.append({option->text(), picture,
                            captionOf(option, QStyle::SE_RadioButtonContents, dialog)});
        for (QCheckBox* check : dialog->findChildren<QCheckBox*>())
            regions.append(
                {check->text(), picture, captionOf(check, QStyle::SE_CheckBoxContents, dialog)});
        for (const auto& [name, image, region] : regions) {
            const Legibility seen = legibilityIn(image, region);
            QVERIFY2(seen.readable(), qPrintable(name + QStringLiteral(": ") + seen.describe()));
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
