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

const PlatformCall notFound{"messageBox", "Font not available, install into Fonts in Control Panel",
                            "Not Found", 0};

// What Scintilla really draws the text with (style 0 is the text's style).
struct Drawn {
    QString font;
    double points;
    bool bold, italic, underline;
    QRgb fore, back;
};

Drawn drawn(Text1& t) {
    using S = QsciScintillaBase;
    auto get = [&t](int message) { return t.SendScintilla(unsigned(message), 0UL); };
    auto rgb = [&get](int message) {
        const long c = get(message);
        return qRgb(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff));
    };
    char name[256] = {};
    t.SendScintilla(S::SCI_STYLEGETFONT, 0UL, static_cast<const char*>(name));
    return {name,
            get(S::SCI_STYLEGETSIZEFRACTIONAL) / double(S::SC_FONT_SIZE_MULTIPLIER),
            get(S::SCI_STYLEGETBOLD) != 0,
            get(S::SCI_STYLEGETITALIC) != 0,
            get(S::SCI_STYLEGETUNDERLINE) != 0,
            rgb(S::SCI_STYLEGETFORE),
            rgb(S::SCI_STYLEGETBACK)};
}

bool struckAt(Text1& text, long position) {
    return text.SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 8UL, position) == 1;
}

QString mappedFamily(int row) {
    return installedFamilyFor(QString::fromLatin1(fonttables::fontNames[std::size_t(row)]));
}

// Rows of the font list that this machine cannot provide.
QList<int> unavailableFontRows() {
    QList<int> rows;
    for (int i = 0; i < int(fonttables::fontNames.size()); ++i)
        if (mappedFamily(i).isEmpty())
            rows << i;
    return rows;
}

// Font row, size row, bold, italic, strikeout, underline: as stored on closing.
QList<int> stored(const FontSettings& s) {
    return {s.fontIndex, s.sizeIndex, s.bold, s.italic, s.strikeout, s.underline};
}

struct Editor {
    FakePlatform platform;
    FontSettings settings;
    Form1 form{platform, settings};
    Text1& text() { return *form.text1(); }
    Drawn look() { return drawn(*form.text1()); }

    Form2* dialog() const { return qobject_cast<Form2*>(form.form2Window()); }
    Form2* openFont() {
        form.action(QStringLiteral("font"))->trigger();
        return dialog();
    }
    template <typename W = QAbstractButton> W* control(const char* name) const {
        return dialog()->findChild<W*>(QString::fromLatin1(name));
    }
    QListWidget* list(const char* name) const { return control<QListWidget>(name); }
    bool checked(const char* name) const { return control(name)->isChecked(); }
    QAbstractButton* colourButton(int index) const {
        for (QRadioButton* b : dialog()->findChildren<QRadioButton*>(QStringLiteral("Option1")))
            if (b->property("index").toInt() == index)
                return b;
        return nullptr;
    }
    // What the controls show: the choices in the order of stored(), then the
    // target (0 "Fore", 1 "Back") and the colour entries shown selected.
    QList<int> shown() const {
        QList<int> state{list("List1")->currentRow(),
                         list("List2")->currentRow(),
                         checked("Check2"),
                         checked("Check3"),
                         checked("Check4"),
                         checked("Check5"),
                         checked("Option3")   ? 1
                         : checked("Option2") ? 0
                                              : -1};
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

// One line per control: name, container, place and size, caption or entries.
QStringList layoutOf(QWidget* dialog) {
    QStringList lines;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QString caption = w->property("title").toString() + w->property("text").toString();
        if (auto* list = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < list->count(); ++i)
                caption += list->item(i)->text() + QLatin1Char(',');
        QString line;
        QDebug(&line).noquote() << w->objectName() << w->parentWidget()->objectName()
                                << w->geometry() << caption;
        lines << line.trimmed();
    }
    lines.sort();
    return lines;
}

} // namespace

class TestFontDialog : public QObject {
    Q_OBJECT

private slots:
    void firstOpeningThenFontAgain() {
        Editor e;
        Form2* dialog = e.openFont();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Font..."));
        // "MS Sans Serif", "10", "Fore", and the default text colour equals
        // none of the eight, even if drawn black.
        QCOMPARE(e.shown(), QList<int>({9, 1, 0, 0, 0, 0, 0}));
        QVERIFY(!e.text().foregroundColour().has_value());
        const Drawn d = e.look();
        QCOMPARE(d.font, installedFamilyFor(QStringLiteral("MS Sans Serif")));
        QVERIFY(!d.font.isEmpty());
        QCOMPARE(d.points, 10.0);
        QVERIFY(!d.bold && !d.italic && !d.underline && !e.text().isStrikeout());
        QVERIFY(e.messages().isEmpty());

        // "Font...." while open only brings the window forward, even when the
        // text area was changed behind the dialog's back.
        e.clickRow("List2", 10);
        e.click("Check3");
        e.text().setFontPointSize(30);
        e.text().setItalic(false);
        QCOMPARE(e.openFont(), dialog);
        QCOMPARE(e.form.findChildren<Form2*>().size(), 1);
        QCOMPARE(e.platform.callsOf(QStringLiteral("show")).size(), 2);
        QCOMPARE(e.look().points, 30.0);
        QVERIFY(!e.look().italic);
        QCOMPARE(e.shown(), QList<int>({9, 10, 0, 1, 0, 0, 0}));
        QVERIFY(e.messages().isEmpty());
    }

    void layoutAndKeyboardOrder() {
        Editor e;
        QCOMPARE(e.openFont()->size(), QSize(473, 240));
        QStringList expected({"Check2 Frame3 QRect(16,32 73x17) Bold",
                              "Check3 Frame3 QRect(16,72 81x17) Italic",
                              "Check4 Frame3 QRect(16,112 73x17) Strikeout",
                              "Check5 Frame3 QRect(16,152 73x17) Underline",
                              "Frame1 Form2 QRect(16,24 145x193) FONT",
                              "Frame2 Form2 QRect(168,64 113x153) COLOR",
                              "Frame3 Form2 QRect(288,24 113x193) STYLE",
                              "Frame4 Form2 QRect(408,24 57x193) SIZE",
                              "Frame5 Form2 QRect(168,24 113x41) Select",
                              "List1 Frame1 QRect(8,24 129x147) Arial,Arial Black,Century Gothic,"
                              "Comic Sans MS,Courier,Courier New,Impact,Lucida Handwriting,Modern,"
                              "MS Sans Serif,MS Serif,MS Song,Times New Roman,Verdana,",
                              "List2 Frame4 QRect(8,16 41x160) "
                              "8,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,",
                              "Option1 Frame2 QRect(16,16 81x17) Black",
                              "Option1 Frame2 QRect(16,32 81x17) White",
                              "Option1 Frame2 QRect(16,48 81x17) Red",
                              "Option1 Frame2 QRect(16,64 81x17) Blue",
                              "Option1 Frame2 QRect(16,80 81x17) Green",
                              "Option1 Frame2 QRect(16,96 81x17) Cyan",
                              "Option1 Frame2 QRect(16,112 81x17) Magenta",
                              "Option1 Frame2 QRect(16,128 81x17) Yellow",
                              "Option2 Frame5 QRect(8,16 41x17) Fore",
                              "Option3 Frame5 QRect(56,16 49x17) Back"});
        expected.sort();
        QCOMPARE(layoutOf(e.dialog()), expected);

        // The focus chain once round, skipping what takes no focus.
        QStringList order;
        QWidget* w = e.colourButton(0);
        for (int i = 0; i < 16; ++i) {
            auto* button = qobject_cast<QAbstractButton*>(w);
            order << (w->objectName() == QLatin1String("Option1") ? button->text()
                                                                  : w->objectName());
            do
                w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || qobject_cast<QGroupBox*>(w));
        }
        QCOMPARE(order, QStringList({"Black", "Blue", "Green", "Cyan", "Magenta", "White", "Red",
                                     "Yellow", "List1", "Check2", "Check3", "Check4", "Check5",
                                     "List2", "Option2", "Option3"}));
        QCOMPARE(w, e.colourButton(0));
    }

    void sizesAndStylesApplyToTheWholeText() {
        Editor e;
        e.text().appendBytes("ab");
        e.openFont();
        // The size is the row plus 9 points, never the entry's text.
        const struct {
            int row;
            const char* caption;
            double points;
        } sizes[] = {{0, "8", 9.0}, {1, "10", 10.0}, {15, "24", 24.0}};
        for (const auto& s : sizes) {
            e.clickRow("List2", 5); // away from the row first
            e.clickRow("List2", s.row);
            QCOMPARE(e.list("List2")->currentItem()->text(), QLatin1String(s.caption));
            QCOMPARE(e.look().points, s.points);
        }

        for (const char* name : {"Check2", "Check3", "Check5", "Check3"})
            e.click(name);
        QVERIFY(e.look().bold && !e.look().italic && e.look().underline);

        // Strikeout covers the text there is and the text typed afterwards.
        e.click("Check4");
        e.text().setFocus();
        e.text().SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 2UL);
        QTest::keyClicks(&e.text(), QStringLiteral("cd"));
        QTest::keyClick(&e.text(), Qt::Key_Return);
        QTest::keyClicks(&e.text(), QStringLiteral("x"));
        QCOMPARE(e.text().bytes(), QByteArray("abcd\nx"));
        for (long pos = 0; pos < 6; ++pos)
            QVERIFY2(struckAt(e.text(), pos), qPrintable(QString::number(pos)));
        e.text().clearDocument(); // a new document keeps it too
        e.text().appendBytes("new");
        QVERIFY(struckAt(e.text(), 0) && struckAt(e.text(), 2));
        // Turned off, nothing is struck, old text or new.
        e.click("Check4");
        QTest::keyClicks(&e.text(), QStringLiteral("yz"));
        for (long pos = 0; pos < 5; ++pos)
            QVERIFY(!struckAt(e.text(), pos));
    }

    void coloursFollowTheTarget() {
        Editor e;
        e.openFont();
        // The text area starts on a white background, so "Back" finds "White".
        e.click("Option3");
        QCOMPARE(e.shown().mid(6), QList<int>({1, 1}));
        e.click(e.colourButton(2)); // "Red"
        QCOMPARE(e.look().back, qRgb(255, 0, 0));
        // "Fore" matches nothing, so "Red" stays shown and nothing is applied.
        e.click("Option2");
        QCOMPARE(e.shown().mid(6), QList<int>({0, 2}));
        QVERIFY(!e.text().foregroundColour().has_value());

        e.click(e.colourButton(7)); // "Yellow"
        QCOMPARE(e.look().fore, qRgb(255, 255, 0));
        QCOMPARE(e.look().back, qRgb(255, 0, 0));
        // Switching targets shows the entry matching each side, applying nothing.
        e.click("Option3");
        QCOMPARE(e.shown().mid(6), QList<int>({1, 2}));
        e.click("Option2");
        QCOMPARE(e.shown().mid(6), QList<int>({0, 7}));
        QCOMPARE(e.text().foregroundColour(), std::optional<QRgb>(qRgb(255, 255, 0)));
        QCOMPARE(e.text().backgroundColour(), qRgb(255, 0, 0));
    }

    void reopeningRestoresChoicesAndKeepsColours() {
        Editor e;
        e.openFont();
        e.clickRow("List1", 5); // "Courier New"
        e.clickRow("List2", 5); // "14"
        e.click("Check2");
        e.click("Check4");
        e.click(e.colourButton(3)); // blue text
        e.click("Option3");
        e.click(e.colourButton(6)); // magenta background
        // Closed, but its deletion still waits for the event loop.
        QPointer<Form2> old = e.dialog();
        old->close();
        QCOMPARE(stored(e.settings), QList<int>({5, 5, 1, 0, 1, 0}));

        Form2* again = e.openFont();
        QVERIFY(again && again != old && again->isVisible());
        // The target is "Fore" again, showing the entry that matches the text.
        QCOMPARE(e.shown(), QList<int>({5, 5, 1, 0, 1, 0, 0, 3}));
        const Drawn d = e.look();
        QCOMPARE(d.font, mappedFamily(5));
        QCOMPARE(d.points, 14.0);
        QVERIFY(d.bold && !d.italic && !d.underline && e.text().isStrikeout());
        QCOMPARE(d.fore, qRgb(0, 0, 255));
        QCOMPARE(d.back, qRgb(255, 0, 255));
        QVERIFY(e.messages().isEmpty());
    }

    void unavailableFontFallsBack() {
        const QList<int> missing = unavailableFontRows();
        if (missing.isEmpty() || mappedFamily(0).isEmpty())
            QSKIP("needs a missing font of the list and a substitute for \"Arial\"");
        // At the first opening nothing was applied yet: back to "Arial".
        Editor fresh;
        fresh.settings.fontIndex = std::int16_t(missing.first());
        fresh.openFont();
        QCOMPARE(fresh.messages(), QList<PlatformCall>{notFound});
        QCOMPARE(fresh.list("List1")->currentRow(), 0);
        QCOMPARE(fresh.look().font, mappedFamily(0));

        // A click returns to the entry before it, with one message.
        Editor e;
        e.openFont();
        e.clickRow("List1", 12); // "Times New Roman"
        QCOMPARE(e.look().font, mappedFamily(12));
        e.clickRow("List1", missing.first());
        QCOMPARE(e.messages(), QList<PlatformCall>{notFound});
        QCOMPARE(e.list("List1")->currentRow(), 12);
        QCOMPARE(e.look().font, mappedFamily(12));
        e.dialog()->close();
        QCOMPARE(e.settings.fontIndex, 12);
        // The last good font outlives the window: a stored font failing at
        // the next opening returns to it, not to "Arial".
        e.settings.fontIndex = std::int16_t(missing.last());
        e.openFont();
        QCOMPARE(e.messages(), QList<PlatformCall>({notFound, notFound}));
        QCOMPARE(e.list("List1")->currentRow(), 12);
        QCOMPARE(e.look().font, mappedFamily(12));
    }

    void storedFontFailingTwiceStopsAfterTwoMessages() {
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
        settings.fontIndex = std::int16_t(missing[1]);
        logic.openingSteps(settings);
        QCOMPARE(platform.callsOf(QStringLiteral("messageBox")),
                 QList<PlatformCall>({notFound, notFound}));
        QCOMPARE(logic.fontRow(), missing[0]);
        QCOMPARE(memory.lastGoodFontIndex, missing[0]);
        QCOMPARE(text.fontFamily(), family);
    }

    void closingTheMainWindowStoresTheChoices() {
        Editor e;
        e.form.show();
        e.openFont();
        e.clickRow("List1", 0);
        e.clickRow("List2", 0);
        e.click("Check5");
        QPointer<Form2> dialog = e.dialog();
        QVERIFY(e.form.close());
        QVERIFY(!dialog || !dialog->isVisible());
        QCOMPARE(e.platform.callsOf(QStringLiteral("close")),
                 QList<PlatformCall>({{"close", "Form2", {}, -1}}));
        QCOMPARE(stored(e.settings), QList<int>({0, 0, 0, 0, 0, 1}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }
};

QTEST_MAIN(TestFontDialog)
#include "tst_fontdialog.moc"
