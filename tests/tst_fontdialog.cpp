// The font and colour dialog: what each choice does to the text area, what
// is remembered between openings, and the missing-font fall-back.
#include "app/Form1.h"
#include "app/Text1.h"
#include "fontdialog/FontDialogLogic.h"
#include "fontdialog/FontTables.h"
#include "fontdialog/Form2.h"
#include "platform/FontMapping.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

const QString notFoundText =
    QStringLiteral("Font not available, install into Fonts in Control Panel");
const QString notFoundTitle = QStringLiteral("Not Found");

// What Scintilla really draws the text with (style 0 is the text's style).
struct Drawn {
    QString font;
    double points = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QRgb fore = 0;
    QRgb back = 0;
};

QRgb fromBgr(long bgr) {
    return qRgb(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}

Drawn drawn(Text1& text) {
    char name[256] = {};
    text.SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, 0UL, static_cast<const char*>(name));
    Drawn d;
    d.font = QString::fromLatin1(name);
    d.points = double(text.SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZEFRACTIONAL, 0UL)) /
               int(QsciScintillaBase::SC_FONT_SIZE_MULTIPLIER);
    d.bold = text.SendScintilla(QsciScintillaBase::SCI_STYLEGETBOLD, 0UL) != 0;
    d.italic = text.SendScintilla(QsciScintillaBase::SCI_STYLEGETITALIC, 0UL) != 0;
    d.underline = text.SendScintilla(QsciScintillaBase::SCI_STYLEGETUNDERLINE, 0UL) != 0;
    d.fore = fromBgr(text.SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, 0UL));
    d.back = fromBgr(text.SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, 0UL));
    return d;
}

bool struckAt(Text1& text, long position) {
    return text.SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 8UL, position) == 1;
}

// Rows of the font list that this machine cannot provide.
QList<int> unavailableFontRows() {
    QList<int> rows;
    for (int i = 0; i < int(fonttables::fontNames.size()); ++i) {
        if (installedFamilyFor(QString::fromLatin1(fonttables::fontNames[std::size_t(i)]))
                .isEmpty())
            rows << i;
    }
    return rows;
}

QString mappedFamily(int row) {
    return installedFamilyFor(QString::fromLatin1(fonttables::fontNames[std::size_t(row)]));
}

struct Editor {
    FakePlatform platform;
    FontSettings settings;
    Form1 form{platform, settings};
    Text1& text() { return *form.text1(); }

    Form2* dialog() const { return qobject_cast<Form2*>(form.form2Window()); }
    Form2* openFont() {
        form.action(QStringLiteral("font"))->trigger();
        return dialog();
    }
    void closeFont() {
        dialog()->close();
        // The window deletes itself once control is back in the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    template <typename W> W* control(const char* name) const {
        return dialog() ? dialog()->findChild<W*>(QString::fromLatin1(name)) : nullptr;
    }
    QListWidget* list1() const { return control<QListWidget>("List1"); }
    QListWidget* list2() const { return control<QListWidget>("List2"); }
    QCheckBox* check(const char* name) const { return control<QCheckBox>(name); }
    QRadioButton* colourButton(int index) const {
        for (QRadioButton* b : dialog()->findChildren<QRadioButton*>(QStringLiteral("Option1"))) {
            if (b->property("index").toInt() == index)
                return b;
        }
        return nullptr;
    }
    // The colour entry shown selected, -1 for none.
    int shownColour() const {
        int shown = -1;
        for (int i = 0; i < 8; ++i) {
            if (colourButton(i)->isChecked()) {
                if (shown != -1)
                    return -2; // two at once: never right
                shown = i;
            }
        }
        return shown;
    }
    void clickRow(QListWidget* list, int row) {
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
    }
    void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    QList<PlatformCall> messages() const { return platform.callsOf(QStringLiteral("messageBox")); }
};

} // namespace

class TestFontDialog : public QObject {
    Q_OBJECT

private slots:
    void firstOpeningAfterStart() {
        Editor e;
        Form2* dialog = e.openFont();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Font..."));
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->isWindow());
        QCOMPARE(dialog->parentWidget(), &e.form);
        QCOMPARE(e.list2()->currentItem()->text(), QStringLiteral("10"));
        QCOMPARE(e.list1()->currentItem()->text(), QStringLiteral("MS Sans Serif"));
        QVERIFY(e.control<QRadioButton>("Option2")->isChecked());
        QVERIFY(!e.control<QRadioButton>("Option3")->isChecked());
        for (const char* name : {"Check2", "Check3", "Check4", "Check5"})
            QVERIFY2(!e.check(name)->isChecked(), name);
        // The default text colour equals none of the eight, even if drawn black.
        QCOMPARE(e.shownColour(), -1);
        QVERIFY(!e.text().foregroundColour().has_value());

        const QString sans = installedFamilyFor(QStringLiteral("MS Sans Serif"));
        QVERIFY(!sans.isEmpty());
        QCOMPARE(e.text().fontFamily(), sans);
        QCOMPARE(e.text().fontPointSize(), 10.0);
        const Drawn d = drawn(e.text());
        QCOMPARE(d.font, sans);
        QCOMPARE(d.points, 10.0);
        QVERIFY(!d.bold && !d.italic && !d.underline && !e.text().isStrikeout());
        QVERIFY(e.messages().isEmpty());
        QCOMPARE(e.platform.callsOf(QStringLiteral("show")).size(), 1);

        // The text area starts on a white background, so "Back" finds "White".
        e.click(e.control<QRadioButton>("Option3"));
        QCOMPARE(e.shownColour(), 1);
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 255, 255));
        QVERIFY(!e.text().foregroundColour().has_value());
    }

    void controlsStandWhereTheyBelong_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Frame1") << "Frame1"
                                << "Form2"
                                << "FONT" << QRect(16, 24, 145, 193);
        QTest::newRow("List1") << "List1"
                               << "Frame1"
                               << "" << QRect(8, 24, 129, 147);
        QTest::newRow("Frame5") << "Frame5"
                                << "Form2"
                                << "Select" << QRect(168, 24, 113, 41);
        QTest::newRow("Option2") << "Option2"
                                 << "Frame5"
                                 << "Fore" << QRect(8, 16, 41, 17);
        QTest::newRow("Option3") << "Option3"
                                 << "Frame5"
                                 << "Back" << QRect(56, 16, 49, 17);
        QTest::newRow("Frame2") << "Frame2"
                                << "Form2"
                                << "COLOR" << QRect(168, 64, 113, 153);
        QTest::newRow("Frame3") << "Frame3"
                                << "Form2"
                                << "STYLE" << QRect(288, 24, 113, 193);
        QTest::newRow("Check2") << "Check2"
                                << "Frame3"
                                << "Bold" << QRect(16, 32, 73, 17);
        QTest::newRow("Check3") << "Check3"
                                << "Frame3"
                                << "Italic" << QRect(16, 72, 81, 17);
        QTest::newRow("Check4") << "Check4"
                                << "Frame3"
                                << "Strikeout" << QRect(16, 112, 73, 17);
        QTest::newRow("Check5") << "Check5"
                                << "Frame3"
                                << "Underline" << QRect(16, 152, 73, 17);
        QTest::newRow("Frame4") << "Frame4"
                                << "Form2"
                                << "SIZE" << QRect(408, 24, 57, 193);
        QTest::newRow("List2") << "List2"
                               << "Frame4"
                               << "" << QRect(8, 16, 41, 160);
    }
    void controlsStandWhereTheyBelong() {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QString, caption);
        QFETCH(QRect, geometry);
        Editor e;
        Form2* dialog = e.openFont();
        QCOMPARE(dialog->size(), QSize(473, 240));
        auto* widget = dialog->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), container);
        QCOMPARE(widget->geometry(), geometry);
        if (auto* box = qobject_cast<QGroupBox*>(widget))
            QCOMPARE(box->title(), caption);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->text(), caption);
    }

    void keyboardOrder() {
        Editor e;
        e.openFont();
        QStringList order;
        QWidget* w = e.colourButton(0);
        for (int i = 0; i < 21; ++i) {
            order << (w->objectName() == QLatin1String("Option1")
                          ? qobject_cast<QAbstractButton*>(w)->text()
                          : w->objectName());
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || w->parentWidget() == nullptr ||
                   qobject_cast<QGroupBox*>(w))
                w = w->nextInFocusChain();
            if (w == e.colourButton(0))
                break;
        }
        QCOMPARE(order, QStringList({"Black", "Blue", "Green", "Cyan", "Magenta", "White", "Red",
                                     "Yellow", "List1", "Check2", "Check3", "Check4", "Check5",
                                     "List2", "Option2", "Option3"}));
    }

    void sizeIsRowPlusNine_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<double>("points");
        QTest::newRow("8 gives 9 points") << 0 << "8" << 9.0;
        QTest::newRow("10 gives 10") << 1 << "10" << 10.0;
        QTest::newRow("17 gives 17") << 8 << "17" << 17.0;
        QTest::newRow("24 gives 24") << 15 << "24" << 24.0;
    }
    void sizeIsRowPlusNine() {
        QFETCH(int, row);
        QFETCH(QString, caption);
        QFETCH(double, points);
        Editor e;
        e.openFont();
        e.clickRow(e.list2(), 5); // away from the start-up row first
        e.clickRow(e.list2(), row);
        QCOMPARE(e.list2()->currentItem()->text(), caption);
        QCOMPARE(e.text().fontPointSize(), points);
        QCOMPARE(drawn(e.text()).points, points);
    }

    void stylesApplyToTheWholeText() {
        Editor e;
        e.text().appendBytes("class A {}\n");
        e.openFont();
        for (const char* name : {"Check2", "Check3", "Check5", "Check3"})
            e.click(e.check(name));
        const Drawn d = drawn(e.text());
        QVERIFY(d.bold && !d.italic && d.underline);
        QVERIFY(e.text().isBold() && !e.text().isItalic() && e.text().isUnderline());
    }

    void strikeoutKeptOverTextTypedAfterwards() {
        Editor e;
        e.text().appendBytes("ab");
        e.openFont();
        e.click(e.check("Check4"));
        e.text().setFocus();
        e.text().SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 2UL);
        QTest::keyClicks(&e.text(), QStringLiteral("cd"));
        QTest::keyClick(&e.text(), Qt::Key_Return);
        QTest::keyClicks(&e.text(), QStringLiteral("x"));
        QCOMPARE(e.text().bytes(), QByteArray("abcd\nx"));
        for (long pos = 0; pos < 6; ++pos)
            QVERIFY2(struckAt(e.text(), pos), qPrintable(QString::number(pos)));

        // A new document keeps the style too.
        e.text().clearDocument();
        e.text().appendBytes("new");
        QVERIFY(struckAt(e.text(), 0) && struckAt(e.text(), 2));

        // Turned off, nothing is struck, old text or new.
        e.click(e.check("Check4"));
        QTest::keyClicks(&e.text(), QStringLiteral("yz"));
        for (long pos = 0; pos < 5; ++pos)
            QVERIFY(!struckAt(e.text(), pos));
    }

    void coloursFollowTheTarget() {
        Editor e;
        e.openFont();
        // Given "Back" and then "Red": the background turns red, the foreground stays.
        e.click(e.control<QRadioButton>("Option3"));
        e.click(e.colourButton(2));
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 0, 0));
        QCOMPARE(drawn(e.text()).back, qRgb(255, 0, 0));
        QVERIFY(!e.text().foregroundColour().has_value());
        // "Fore" matches nothing, so "Red" stays shown and nothing is applied.
        e.click(e.control<QRadioButton>("Option2"));
        QCOMPARE(e.shownColour(), 2);
        QVERIFY(!e.text().foregroundColour().has_value());
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 0, 0));

        e.click(e.colourButton(7));
        QCOMPARE(e.text().foregroundColour(), std::optional<QRgb>(qRgb(255, 255, 0)));
        QCOMPARE(drawn(e.text()).fore, qRgb(255, 255, 0));
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 0, 0));
        // Switching targets shows the entry matching each side.
        e.click(e.control<QRadioButton>("Option3"));
        QCOMPARE(e.shownColour(), 2);
        e.click(e.control<QRadioButton>("Option2"));
        QCOMPARE(e.shownColour(), 7);
        QCOMPARE(e.text().foregroundColour(), std::optional<QRgb>(qRgb(255, 255, 0)));
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 0, 0));
    }

    void reopeningRestoresChoicesAndKeepsColours() {
        Editor e;
        e.openFont();
        e.clickRow(e.list1(), 5); // "Courier New"
        e.clickRow(e.list2(), 5); // "14"
        e.click(e.check("Check2"));
        e.click(e.check("Check4"));
        e.click(e.colourButton(3)); // blue text
        e.click(e.control<QRadioButton>("Option3"));
        e.click(e.colourButton(6)); // magenta background
        e.closeFont();
        QVERIFY(!e.form.form2Window());
        QCOMPARE(e.settings.fontIndex, 5);
        QCOMPARE(e.settings.sizeIndex, 5);
        QCOMPARE(e.settings.bold, 1);
        QCOMPARE(e.settings.italic, 0);
        QCOMPARE(e.settings.strikeout, 1);
        QCOMPARE(e.settings.underline, 0);

        Form2* again = e.openFont();
        QVERIFY(again && again->isVisible());
        QCOMPARE(e.list1()->currentItem()->text(), QStringLiteral("Courier New"));
        QCOMPARE(e.list2()->currentItem()->text(), QStringLiteral("14"));
        QVERIFY(e.check("Check2")->isChecked() && e.check("Check4")->isChecked());
        QVERIFY(!e.check("Check3")->isChecked() && !e.check("Check5")->isChecked());
        // The target is "Fore" again, showing the entry that matches the text.
        QVERIFY(e.control<QRadioButton>("Option2")->isChecked());
        QCOMPARE(e.shownColour(), 3);
        QCOMPARE(e.text().fontFamily(), mappedFamily(5));
        QCOMPARE(e.text().fontPointSize(), 14.0);
        QVERIFY(e.text().isBold() && e.text().isStrikeout() && !e.text().isItalic());
        QCOMPARE(e.text().foregroundColour(), std::optional<QRgb>(qRgb(0, 0, 255)));
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 0, 255));
        QVERIFY(e.messages().isEmpty());
    }

    void reopeningWhileTheClosedWindowAwaitsDeletion() {
        Editor e;
        QPointer<Form2> old = e.openFont();
        old->close(); // its deletion waits for the event loop
        Form2* fresh = e.openFont();
        QVERIFY(fresh && fresh != old);
        QVERIFY(fresh->isVisible());
        QCOMPARE(e.list2()->currentRow(), 1);
    }

    void unavailableFontReturnsToThePreviousEntry() {
        const QList<int> missing = unavailableFontRows();
        if (missing.isEmpty())
            QSKIP("every font of the list is installed here");
        Editor e;
        e.openFont();
        e.clickRow(e.list1(), 12); // "Times New Roman", applied
        const QString before = e.text().fontFamily();
        QCOMPARE(before, mappedFamily(12));
        e.platform.messageAnswers.push_back(MsgAnswer::Ok);
        e.clickRow(e.list1(), missing.first());
        QCOMPARE(e.messages(),
                 QList<PlatformCall>({{"messageBox", notFoundText, notFoundTitle, 0}}));
        QCOMPARE(e.list1()->currentRow(), 12);
        QCOMPARE(e.text().fontFamily(), before);
        QCOMPARE(drawn(e.text()).font, before);
        e.closeFont();
        QCOMPARE(e.settings.fontIndex, 12);
    }

    void storedFontFailingAtOpeningFallsBack() {
        const QList<int> missing = unavailableFontRows();
        if (missing.isEmpty())
            QSKIP("every font of the list is installed here");
        if (mappedFamily(0).isEmpty())
            QSKIP("\"Arial\" has no substitute here");
        Editor e;
        const QString startFamily = e.text().fontFamily();
        e.settings.fontIndex = std::int16_t(missing.first());
        e.platform.messageAnswers.push_back(MsgAnswer::Ok);
        e.openFont();
        // Nothing was applied yet at the first opening: back to "Arial".
        QCOMPARE(e.messages().size(), 1);
        QCOMPARE(e.messages().first().text, notFoundText);
        QCOMPARE(e.list1()->currentItem()->text(), QStringLiteral("Arial"));
        QCOMPARE(e.text().fontFamily(), mappedFamily(0));
        QVERIFY(e.text().fontFamily() != startFamily);

        // The last good font outlives the window: a later failure at opening
        // returns to the font chosen in the earlier opening, not to "Arial".
        e.clickRow(e.list1(), 4); // "Courier"
        e.closeFont();
        e.settings.fontIndex = std::int16_t(missing.last());
        e.platform.messageAnswers.push_back(MsgAnswer::Ok);
        e.openFont();
        QCOMPARE(e.messages().size(), 2);
        QCOMPARE(e.list1()->currentRow(), 4);
        QCOMPARE(e.text().fontFamily(), mappedFamily(4));
        QVERIFY(e.platform.unscripted.isEmpty());
    }

    void secondFailureStopsAfterTwoMessages_data() {
        QTest::addColumn<bool>("atOpening");
        QTest::newRow("user's click") << false;
        QTest::newRow("opening") << true;
    }
    void secondFailureStopsAfterTwoMessages() {
        QFETCH(bool, atOpening);
        const QList<int> missing = unavailableFontRows();
        if (missing.size() < 2)
            QSKIP("needs two fonts of the list that are not installed here");
        // Given a last good font that has been uninstalled since it was applied.
        FakePlatform platform;
        Text1 text;
        const QString family = text.fontFamily();
        FontDialogMemory memory{std::int16_t(missing[0])};
        FontDialogLogic logic(text, platform, memory);
        FontSettings settings;
        if (atOpening) {
            settings.fontIndex = std::int16_t(missing[1]);
            logic.openingSteps(settings);
        } else {
            logic.selectFont(missing[1]);
        }
        QCOMPARE(platform.callsOf(QStringLiteral("messageBox")).size(), 2);
        for (const PlatformCall& call : platform.callsOf(QStringLiteral("messageBox")))
            QCOMPARE(call, (PlatformCall{"messageBox", notFoundText, notFoundTitle, 0}));
        QCOMPARE(logic.fontRow(), int(missing[0]));
        QCOMPARE(memory.lastGoodFontIndex, missing[0]);
        QCOMPARE(text.fontFamily(), family);
    }

    void fontCommandWhileOpenAppliesNothing() {
        Editor e;
        Form2* first = e.openFont();
        e.clickRow(e.list2(), 10);
        e.click(e.check("Check3"));
        // Changed behind the dialog's back: reopening must not restore anything.
        e.text().setFontPointSize(30);
        e.text().setItalic(false);
        QCOMPARE(e.openFont(), first);
        QCOMPARE(e.form.findChildren<Form2*>().size(), 1);
        QCOMPARE(e.platform.callsOf(QStringLiteral("show")).size(), 2);
        QCOMPARE(e.text().fontPointSize(), 30.0);
        QVERIFY(!e.text().isItalic());
        QCOMPARE(e.list2()->currentRow(), 10);
        QVERIFY(e.check("Check3")->isChecked());
    }

    void closingTheMainWindowStoresTheChoices() {
        Editor e;
        e.form.show();
        e.openFont();
        e.clickRow(e.list1(), 0);
        e.clickRow(e.list2(), 0);
        e.click(e.check("Check5"));
        QPointer<Form2> dialog = e.dialog();
        QVERIFY(e.form.close());
        QVERIFY(!dialog || !dialog->isVisible());
        QCOMPARE(e.platform.callsOf(QStringLiteral("close")).size(), 1);
        QCOMPARE(e.platform.callsOf(QStringLiteral("close")).first().text, QStringLiteral("Form2"));
        QCOMPARE(e.settings.fontIndex, 0);
        QCOMPARE(e.settings.sizeIndex, 0);
        QCOMPARE(e.settings.underline, 1);
        QCOMPARE(e.settings.bold, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }
};

QTEST_MAIN(TestFontDialog)
#include "tst_fontdialog.moc"
