// The font dialog, the About box, the installed stand-ins for the fonts'
// names, and readable colours.
#include "about/frmAbout.h"
#include "fontdialog/FontDialogLogic.h"
#include "fontdialog/Form2.h"
#include "platform/FontMapping.h"
#include "platform/ReadableColours.h"
#include "support/Editor.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::test;
using S = QsciScintillaBase;

namespace {

const PlatformCall notFound{"messageBox", "Font not available, install into Fonts in Control Panel",
                            "Not Found", 0};
constexpr int impact = 6, verdana = 13; // rows of fonts the machine lacks

// Font row, size row, bold, italic, strikeout, underline, as stored on closing.
QList<int> stored(const FontSettings& s) {
    return {s.fontIndex, s.sizeIndex, s.bold, s.italic, s.strikeout, s.underline};
}

struct FontEditor : Editor {
    Form2* dialog() const { return qobject_cast<Form2*>(form.form2Window()); }
    Form2* open() {
        form.action(QStringLiteral("font"))->trigger();
        return dialog();
    }
    QWidget* control(const char* name) const { return dialog()->findChild<QWidget*>(name); }
    // The colour entries are made in their index order.
    QAbstractButton* colour(int i) const {
        return dialog()->findChildren<QRadioButton*>("Option1")[i];
    }
    void click(const char* name) { click(control(name)); }
    void click(QWidget* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void clickRow(const char* name, int row) {
        auto* list = static_cast<QListWidget*>(control(name));
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    // What the text is drawn with: family, points, bold/italic/underline/
    // strikeout as letters, text and paper colours.
    QString look() {
        const auto get = [this](int m) { return text().SendScintilla(unsigned(m), 0UL); };
        const auto rgb = [&](int m) {
            return QColor(get(m) & 0xff, (get(m) >> 8) & 0xff, get(m) >> 16).name();
        };
        char name[256] = {};
        text().SendScintilla(S::SCI_STYLEGETFONT, 0UL, static_cast<const char*>(name));
        return QStringLiteral("%1 %2 %3%4%5%6 ")
                   .arg(name)
                   .arg(get(S::SCI_STYLEGETSIZEFRACTIONAL) / 100)
                   .arg(get(S::SCI_STYLEGETBOLD) ? 'b' : '-')
                   .arg(get(S::SCI_STYLEGETITALIC) ? 'i' : '-')
                   .arg(get(S::SCI_STYLEGETUNDERLINE) ? 'u' : '-')
                   .arg(text().isStrikeout() ? 's' : '-') +
               rgb(S::SCI_STYLEGETFORE) + ' ' + rgb(S::SCI_STYLEGETBACK);
    }
    // What the controls show: rows, style boxes, the target and the colour
    // entries shown selected.
    QString shown() const {
        QString state = QStringLiteral("%1 %2 ")
                            .arg(static_cast<QListWidget*>(control("List1"))->currentRow())
                            .arg(static_cast<QListWidget*>(control("List2"))->currentRow());
        for (const char* name : {"Check2", "Check3", "Check4", "Check5", "Option2", "Option3"})
            state += static_cast<QAbstractButton*>(control(name))->isChecked() ? '1' : '0';
        for (int i = 0; i < 8; ++i)
            state += colour(i)->isChecked() ? QStringLiteral(" %1").arg(i) : QString();
        return state;
    }
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    // Shown as stored, kept on Esc, restored at the next opening, stored
    // again when the main window closes it.
    void firstOpeningThenFontAgain() {
        FontEditor e;
        QVERIFY(e.showActive());
        QPointer<Form2> dialog = e.open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Font..."));
        // "MS Sans Serif", "10", Fore: the default text colour is none of the eight.
        QCOMPARE(e.shown(), QStringLiteral("9 1 000010"));
        QCOMPARE(e.look(), QStringLiteral("DejaVu Sans 10 ---- #000000 #ffffff"));
        e.text().setFontPointSize(30); // behind its back: a second opening only brings it forward
        QCOMPARE(e.open(), dialog.data());
        QVERIFY(e.look().startsWith("DejaVu Sans 30 ") && e.platform.callsOf("show").size() == 2);
        e.clickRow("List1", 5); // "Courier New"
        e.clickRow("List2", 5); // "14"
        for (QWidget* button : {e.control("Check2"), e.control("Check3"), e.control("Check4"),
                                static_cast<QWidget*>(e.colour(3)), e.control("Option3"),
                                static_cast<QWidget*>(e.colour(6))})
            e.click(button); // bold, italic, strikeout, blue text, magenta paper
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        e.control("List1")->setFocus(); // a list, which has keys of its own
        QTest::keyClick(e.control("List1"), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(stored(e.fonts), QList<int>({5, 5, 1, 1, 1, 0}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
        dialog = e.open(); // Fore again, showing the entry that matches the text
        QCOMPARE(e.shown() + ' ' + e.look(),
                 QStringLiteral("5 5 111010 3 Liberation Mono 14 bi-s #0000ff #ff00ff"));
        e.clickRow("List1", 0);
        e.click("Check5");
        QVERIFY(e.form.close());
        QCOMPARE(e.platform.callsOf("close"), QList<PlatformCall>({{"close", "Form2", {}, -1}}));
        QCOMPARE(stored(e.fonts), QList<int>({0, 5, 1, 1, 1, 1}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }

    // Sizes and styles apply to the whole text, also to text typed
    // afterwards; colours to the target chosen.
    void sizesAndStylesApplyToTheWholeText() {
        FontEditor e;
        e.text().appendBytes("ab");
        e.open();
        for (const auto& [row, points] : {std::pair{0, " 9 "}, {1, " 10 "}, {15, " 24 "}}) {
            e.clickRow("List2", 5); // away from the row first
            e.clickRow("List2", row);
            QVERIFY2(e.look().contains(points),
                     qPrintable(e.look())); // the row plus 9, not its text
        }
        for (const char* name : {"Check2", "Check3", "Check5", "Check3", "Check4"})
            e.click(name);
        e.text().setSelectionRange(2, 2);
        QTest::keyClicks(&e.text(), QStringLiteral("cd"));
        QCOMPARE(e.text().bytes(), QByteArray("abcd"));
        for (unsigned long pos : {0UL, 3UL})
            QCOMPARE(e.text().SendScintilla(S::SCI_INDICATORVALUEAT, 8UL, pos), 1); // struck out
        // The paper starts white, so Back finds White; Fore then matches
        // nothing, so the Red just chosen stays shown and nothing is applied.
        e.click("Option3");
        QVERIFY(e.shown().endsWith("01 1"));
        e.click(e.colour(2));
        e.click("Option2");
        QCOMPARE(e.shown() + ' ' + e.look(),
                 QStringLiteral("9 15 101110 2 DejaVu Sans 24 b-us #000000 #ff0000"));
        QVERIFY(!e.text().foregroundColour());
        QString colours;
        for (int i = 0; i < 8; ++i) {
            e.click(e.colour(i));
            colours += e.colour(i)->text() + ' ' + e.look().section(' ', -2, -2) + ' ';
        }
        QCOMPARE(colours, "Black #000000 White #ffffff Red #ff0000 Blue #0000ff Green #00ff00 Cyan "
                          "#00ffff Magenta #ff00ff Yellow #ffff00 ");
    }

    // Captions and entries, and the keyboard's walk, which takes the colours
    // in their own order, not their screen order; every control within its
    // frame and overlapping none of its neighbours.
    void keyboardOrder() {
        FontEditor e;
        QStringList seen;
        for (QGroupBox* frame : e.open()->findChildren<QGroupBox*>())
            seen << frame->objectName() + ' ' + frame->title();
        for (QListWidget* list : e.dialog()->findChildren<QListWidget*>())
            for (int i = 0; i < list->count(); ++i)
                seen << list->item(i)->text();
        for (QWidget* at = e.colour(0); seen.size() < 60 && (at != e.colour(0) || seen.size() < 40);
             at = at->nextInFocusChain())
            if (at->focusPolicy() & Qt::TabFocus)
                seen << (qobject_cast<QAbstractButton*>(at)
                             ? qobject_cast<QAbstractButton*>(at)->text()
                             : at->objectName());
        QCOMPARE(
            seen.join(','),
            "Frame1 FONT,Frame5 Select,Frame2 COLOR,Frame3 STYLE,Frame4 SIZE,Arial,Arial "
            "Black,Century Gothic,Comic Sans MS,Courier,Courier New,Impact,Lucida "
            "Handwriting,Modern,MS Sans Serif,MS Serif,MS Song,Times New "
            "Roman,Verdana,8,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,Black,Blue,Green,Cyan,"
            "Magenta,White,Red,Yellow,List1,Bold,Italic,Strikeout,Underline,List2,Fore,Back");
        for (QWidget* w : e.dialog()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            for (QWidget* part : w->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)
                                     << w)
                for (QWidget* other : part->parentWidget()->findChildren<QWidget*>(
                         QString(), Qt::FindDirectChildrenOnly))
                    QVERIFY2(part->parentWidget()->rect().contains(part->geometry()) &&
                                 (other == part || !other->geometry().intersects(part->geometry())),
                             qPrintable(part->objectName() + ' ' + other->objectName()));
    }

    // A click on a missing font returns to the entry before it, with one
    // message; the last good font outlives the window: a stored font failing
    // at the next opening returns to it. A last good font uninstalled since
    // it was applied ends the fall-back.
    void storedFontFailingTwiceStopsAfterTwoMessages() {
        FontEditor e;
        e.open();
        e.clickRow("List1", 12); // "Times New Roman"
        e.clickRow("List1", impact);
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>{notFound});
        e.dialog()->close();
        e.fonts.fontIndex = verdana;
        e.open();
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>({notFound, notFound}));
        QCOMPARE(e.shown().left(3) + e.look().left(17), QStringLiteral("12 Liberation Serif"));
        FakePlatform platform;
        Text1 text;
        FontDialogMemory memory{impact};
        FontDialogLogic logic(text, platform, memory);
        logic.openingSteps(FontSettings{.fontIndex = verdana});
        QCOMPARE(platform.callsOf("messageBox"), QList<PlatformCall>({notFound, notFound}));
        QCOMPARE(logic.fontRow(), impact);
        QCOMPARE(text.fontFamily(), QStringLiteral("DejaVu Sans")); // as before
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
        QCOMPARE(dialogFont().family() + QString::number(dialogFont().pointSize()), "DejaVu Sans8");
    }

    // One modeless box with only a close box; Enter and Esc close it
    // wherever the focus is, and so does closing the main window.
    void aboutBox() {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_unknown}) {
            Editor e;
            e.form.show();
            e.form.action(QStringLiteral("About"))->trigger();
            e.form.action(QStringLiteral("About"))->trigger();
            QPointer<QWidget> box = e.form.aboutWindow();
            QVERIFY(box && box->isVisible() && !box->isModal() &&
                    box->minimumSize() == box->maximumSize());
            QCOMPARE(QList<qsizetype>({e.form.findChildren<frmAbout*>().size(),
                                       e.platform.callsOf("show").size()}),
                     QList<qsizetype>({1, 2}));
            QCOMPARE(box->windowType(), Qt::Dialog);
            QCOMPARE(box->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint),
                     Qt::WindowCloseButtonHint);
            QCOMPARE(box->windowTitle() + '|' + box->findChild<QLabel*>("lblVersion")->text() +
                         '|' + box->findChild<QLabel*>("lblDisclaimer")->text(),
                     "About tarnpad|Version 1.0.0|I made this to help myself avoid the hassles in "
                     "the execution of Java Files. It is not an IDE. Just have Fun!");
            QCOMPARE(box->findChild<QLabel*>("picIcon")->pixmap().size(), QSize(32, 32));
            QVERIFY(box->focusWidget() == box->findChild<QPushButton*>("cmdOK") &&
                    box->findChild<QPushButton*>("cmdOK")->isDefault());
            for (QLabel* label : box->findChildren<QLabel*>()) // fixed black, and the texts fit
                QVERIFY(label->heightForWidth(label->width()) <= label->height() &&
                        (label->objectName() == "lblVersion" || label->objectName() == "picIcon" ||
                         label->palette().color(QPalette::WindowText) == Qt::black));
            if (key == Qt::Key_unknown)
                QVERIFY(e.form.close());
            else
                QTest::keyClick(box->findChild<QWidget*>(key == Qt::Key_Return ? "lblDescription"
                                                                               : "lblDisclaimer"),
                                key);
            QCOMPARE(e.platform.callsOf("close"),
                     QList<PlatformCall>(key == Qt::Key_unknown, {"close", "frmAbout", {}, -1}));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(box.isNull());
        }
    }

    void contrastFollowsTheGuidelines() {
        const QColor grey76(0x76, 0x76, 0x76), grey77(0x77, 0x77, 0x77);
        for (const auto& [a, b, ratio] : {std::tuple{QColor(Qt::black), QColor(Qt::white), 2100},
                                          {grey76, grey76, 100},
                                          {QColor(Qt::white), grey76, 454},
                                          {grey77, QColor(Qt::white), 448}})
            QCOMPARE(qRound(contrastRatio(a, b) * 100),
                     ratio); // 0x76 the lightest grey that reads on white
        // With no light scheme at all, black on a light ground.
        const QPalette dark(QColor(0xfc, 0xfc, 0xfc), QColor(0x20, 0x23, 0x26));
        const QPalette light = lightScheme(dark, dark);
        QCOMPARE(light.color(QPalette::Text).name() + light.color(QPalette::WindowText).name(),
                 "#000000#000000");
        QVERIFY(contrastRatio(Qt::black, light.color(QPalette::Window)) >= readableContrast);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
