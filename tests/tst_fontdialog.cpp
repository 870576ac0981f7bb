// The font and colour dialog: what each choice does to the text area, what
// is remembered between openings, and the missing-font fall-back.
#include "app/Form1.h"
#include "fontdialog/FontDialogLogic.h"
#include "fontdialog/FontTables.h"
#include "fontdialog/Form2.h"
#include "support/Editor.h"
#include "support/FakePlatform.h"
#include "textarea/Text1.h"

#include <QAction>
#include <QFontDatabase>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

const PlatformCall notFound{"messageBox", "Font not available, install into Fonts in Control Panel",
                            "Not Found", 0};

// Rows of two fonts of the list that are not installed where the tests run.
constexpr int impact = 6, verdana = 13;
bool neitherInstalled() {
    return !QFontDatabase::hasFamily("Impact") && !QFontDatabase::hasFamily("Verdana");
}

// Font row, size row, bold, italic, strikeout, underline: as stored on closing.
QList<int> stored(const FontSettings& s) {
    return {s.fontIndex, s.sizeIndex, s.bold, s.italic, s.strikeout, s.underline};
}

struct FontEditor : Editor {
    // What Scintilla really draws the text with (style 0): family, points,
    // bold/italic/underline/strikeout as letters, foreground, background.
    QStringList look() {
        using S = QsciScintillaBase;
        auto get = [this](int m) { return text().SendScintilla(unsigned(m), 0UL); };
        auto rgb = [&](int m) { return QColor(get(m) & 0xff, (get(m) >> 8) & 0xff, get(m) >> 16); };
        char name[256] = {};
        text().SendScintilla(S::SCI_STYLEGETFONT, 0UL, static_cast<const char*>(name));
        QString flags = QStringLiteral("----");
        for (auto [i, m] : {std::pair{0, S::SCI_STYLEGETBOLD},
                            {1, S::SCI_STYLEGETITALIC},
                            {2, S::SCI_STYLEGETUNDERLINE}})
            flags[i] = get(m) ? QLatin1Char("biu"[i]) : flags[i];
        flags[3] = text().isStrikeout() ? QLatin1Char('s') : flags[3];
        return {name,
                QString::number(get(S::SCI_STYLEGETSIZEFRACTIONAL) / S::SC_FONT_SIZE_MULTIPLIER),
                flags, rgb(S::SCI_STYLEGETFORE).name(), rgb(S::SCI_STYLEGETBACK).name()};
    }

    Form2* dialog() const { return qobject_cast<Form2*>(form.form2Window()); }
    Form2* openFont() {
        form.action(QStringLiteral("font"))->trigger();
        return dialog();
    }
    template <typename W = QAbstractButton> W* control(const char* name) const {
        return dialog()->findChild<W*>(QString::fromLatin1(name));
    }
    QListWidget* list(const char* name) const { return control<QListWidget>(name); }
    QAbstractButton* colourButton(int index) const {
        for (QRadioButton* b : dialog()->findChildren<QRadioButton*>(QStringLiteral("Option1")))
            if (b->property("index").toInt() == index)
                return b;
        return nullptr;
    }
    // What the controls show: the choices in the order of stored(), then the
    // target (0 "Fore", 1 "Back") and the colour entries shown selected.
    QList<int> shown() const {
        QList<int> state{list("List1")->currentRow(), list("List2")->currentRow()};
        for (const char* box : {"Check2", "Check3", "Check4", "Check5"})
            state << control(box)->isChecked();
        state << (control("Option3")->isChecked() ? 1 : control("Option2")->isChecked() ? 0 : -1);
        for (int i = 0; i < 8; ++i)
            if (colourButton(i)->isChecked())
                state << i;
        return state;
    }
    void clickRow(const char* listName, int row) {
        QListWidget* l = list(listName);
        l->scrollToItem(l->item(row));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(l->item(row)).center());
    }
    void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void click(const char* name) { click(control(name)); }
    QList<PlatformCall> messages() const { return platform.callsOf(QStringLiteral("messageBox")); }
};

} // namespace

class TestFontDialog : public QObject {
    Q_OBJECT

private slots:
    void firstOpeningThenFontAgain() {
        FontEditor e;
        Form2* dialog = e.openFont();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Font..."));
        // "MS Sans Serif", "10", "Fore", and the default text colour equals
        // none of the eight, even if drawn black.
        QCOMPARE(e.shown(), QList<int>({9, 1, 0, 0, 0, 0, 0}));
        QVERIFY(!e.text().foregroundColour().has_value());
        QCOMPARE(e.look().mid(0, 3), QStringList({"DejaVu Sans", "10", "----"}));

        // "Font...." while open only brings the window forward, even when the
        // text area was changed behind the dialog's back.
        e.text().setFontPointSize(30);
        QCOMPARE(e.openFont(), dialog);
        QCOMPARE(e.platform.callsOf(QStringLiteral("show")).size(), 2);
        QCOMPARE(e.look()[1], QStringLiteral("30"));
        QVERIFY(e.messages().isEmpty());
    }

    void layout() {
        FontEditor e;
        QCOMPARE(e.openFont()->size(), QSize(473, 240));
        // One line per control: name, container, place and size, caption or entries.
        QStringList lines;
        for (QWidget* w : e.dialog()->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            QString line,
                caption = w->property("title").toString() + w->property("text").toString();
            if (auto* list = qobject_cast<QListWidget*>(w))
                for (int i = 0; i < list->count(); ++i)
                    caption += list->item(i)->text() + QLatin1Char(',');
            QDebug(&line).noquote()
                << w->objectName() << w->parentWidget()->objectName() << w->geometry() << caption;
            lines << line.trimmed();
        }
        lines.sort();
        QStringList expected(
            {"Check2 Frame3 QRect(16,32 73x17) Bold", "Check3 Frame3 QRect(16,72 81x17) Italic",
             "Check4 Frame3 QRect(16,112 73x17) Strikeout",
             "Check5 Frame3 QRect(16,152 73x17) Underline",
             "Frame1 Form2 QRect(16,24 145x193) FONT", "Frame2 Form2 QRect(168,64 113x153) COLOR",
             "Frame3 Form2 QRect(288,24 113x193) STYLE", "Frame4 Form2 QRect(408,24 57x193) SIZE",
             "Frame5 Form2 QRect(168,24 113x41) Select",
             "List1 Frame1 QRect(8,24 129x147) Arial,Arial Black,Century Gothic,"
             "Comic Sans MS,Courier,Courier New,Impact,Lucida Handwriting,Modern,"
             "MS Sans Serif,MS Serif,MS Song,Times New Roman,Verdana,",
             "List2 Frame4 QRect(8,16 41x160) "
             "8,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,",
             "Option2 Frame5 QRect(8,16 41x17) Fore", "Option3 Frame5 QRect(56,16 49x17) Back"});
        int y = 0; // the colour entries in index order, top to bottom
        for (const char* c :
             {"Black", "White", "Red", "Blue", "Green", "Cyan", "Magenta", "Yellow"})
            expected << QString("Option1 Frame2 QRect(16,%1 81x17) %2").arg(y += 16).arg(c);
        expected.sort();
        QCOMPARE(lines, expected);
    }

    void sizesAndStylesApplyToTheWholeText() {
        FontEditor e;
        e.text().appendBytes("ab");
        e.openFont();
        // The size is the row plus 9 points, never the entry's text.
        for (const auto& [row, points] : {std::pair{0, "9"}, {1, "10"}, {15, "24"}}) {
            e.clickRow("List2", 5); // away from the row first
            e.clickRow("List2", row);
            QCOMPARE(e.look()[1], QLatin1String(points));
        }
        for (const char* name : {"Check2", "Check3", "Check5", "Check3", "Check4"})
            e.click(name);
        QCOMPARE(e.look()[2], QStringLiteral("b-us"));
        // Strikeout covers the text there is and the text typed afterwards.
        e.text().setSelectionRange(2, 2);
        QTest::keyClicks(&e.text(), QStringLiteral("cd"));
        QCOMPARE(e.text().bytes(), QByteArray("abcd"));
        for (unsigned long pos : {0UL, 3UL})
            QCOMPARE(e.text().SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 8UL, pos), 1);
    }

    void coloursFollowTheTarget() {
        FontEditor e;
        e.openFont();
        // The text area starts on a white background, so "Back" finds "White".
        e.click("Option3");
        QCOMPARE(e.shown().mid(6), QList<int>({1, 1}));
        e.click(e.colourButton(2)); // "Red"
        QCOMPARE(e.look()[4], QStringLiteral("#ff0000"));
        // "Fore" matches nothing, so "Red" stays shown and nothing is applied.
        e.click("Option2");
        QCOMPARE(e.shown().mid(6), QList<int>({0, 2}));
        QVERIFY(!e.text().foregroundColour().has_value());
        e.click(e.colourButton(7)); // "Yellow"
        QCOMPARE(e.look().mid(3), QStringList({"#ffff00", "#ff0000"}));
    }

    void reopeningRestoresAndClosingTheMainWindowStores() {
        FontEditor e;
        e.form.show();
        e.openFont();
        e.clickRow("List1", 5); // "Courier New"
        e.clickRow("List2", 5); // "14"
        e.click("Check2");
        e.click("Check4");
        e.click(e.colourButton(3)); // blue text
        e.click("Option3");
        e.click(e.colourButton(6)); // magenta background
        QPointer<Form2> old = e.dialog();
        old->close(); // its deletion still waits for the event loop
        QCOMPARE(stored(e.fonts), QList<int>({5, 5, 1, 0, 1, 0}));

        QVERIFY(e.openFont() != old);
        // The target is "Fore" again, showing the entry that matches the text.
        QCOMPARE(e.shown(), QList<int>({5, 5, 1, 0, 1, 0, 0, 3}));
        QCOMPARE(e.look(), QStringList({"Liberation Mono", "14", "b--s", "#0000ff", "#ff00ff"}));

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

    // Esc closes the dialog from whichever control has the focus, through
    // its closing steps, as the close box does.
    // The keyboard walks the colours in their own order, not their screen
    // order, then the font list, the styles, the sizes and Fore/Back.
    void keyboardOrder() {
        FontEditor e;
        e.openFont();
        QStringList walked;
        QWidget* at = e.colourButton(0);
        do {
            if (at->focusPolicy() & Qt::TabFocus) {
                auto* button = qobject_cast<QAbstractButton*>(at);
                walked << (button ? button->text() : at->objectName());
            }
            at = at->nextInFocusChain();
        } while (at != e.colourButton(0) && walked.size() < 20);
        QCOMPARE(walked, (QStringList{"Black", "Blue", "Green", "Cyan", "Magenta", "White", "Red",
                                      "Yellow", "List1", "Bold", "Italic", "Strikeout", "Underline",
                                      "List2", "Fore", "Back"}));
    }

    void escapeClosesAndStores_data() {
        QTest::addColumn<QString>("focus");
        QTest::newRow("font list") << "List1";
        QTest::newRow("size list") << "List2";
        QTest::newRow("a style box") << "Check3";
        QTest::newRow("a target button") << "Option3";
    }
    void escapeClosesAndStores() {
        QFETCH(QString, focus);
        FontEditor e;
        QVERIFY(e.showActive());
        QPointer<Form2> dialog = e.openFont();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        e.clickRow("List2", 3); // "12"
        e.click("Check3");
        auto* control = dialog->findChild<QWidget*>(focus);
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(stored(e.fonts), QList<int>({9, 3, 0, 1, 0, 0}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }

    void unavailableFontFallsBack() {
        if (!neitherInstalled())
            QSKIP("needs Impact and Verdana not to be installed");
        // A click returns to the entry before it, with one message.
        FontEditor e;
        e.openFont();
        e.clickRow("List1", 12); // "Times New Roman"
        e.clickRow("List1", impact);
        QCOMPARE(e.messages(), QList<PlatformCall>{notFound});
        QCOMPARE(e.list("List1")->currentRow(), 12);
        QCOMPARE(e.look()[0], QStringLiteral("Liberation Serif"));
        // The last good font outlives the window: a stored font failing at
        // the next opening returns to it.
        e.dialog()->close();
        e.fonts.fontIndex = verdana;
        e.openFont();
        QCOMPARE(e.messages(), QList<PlatformCall>({notFound, notFound}));
        QCOMPARE(e.list("List1")->currentRow(), 12);
        QCOMPARE(e.look()[0], QStringLiteral("Liberation Serif"));
    }

    void storedFontFailingTwiceStopsAfterTwoMessages() {
        if (!neitherInstalled())
            QSKIP("needs Impact and Verdana not to be installed");
        // Given a last good font that has been uninstalled since it was applied.
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
};

QTEST_MAIN(TestFontDialog)
#include "tst_fontdialog.moc"
