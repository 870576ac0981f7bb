// The font dialog, the About box, the installed stand-ins for the fonts'
// names, and readable colours.
#include "about/frmAbout.h"
#include "fontdialog/FontDialogLogic.h"
#include "fontdialog/Form2.h"
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

struct FontEditor : Editor {
    Form2* dialog() { return qobject_cast<Form2*>(form.form2Window()); }
    Form2* open() { return form.action("font")->trigger(), dialog(); }
    QAbstractButton* at(const char* name) { return dialog()->findChild<QAbstractButton*>(name); }
    QListWidget* list(const char* name) { return dialog()->findChild<QListWidget*>(name); }
    // The colour entries are made in their index order.
    QAbstractButton* colour(int i) { return dialog()->findChildren<QRadioButton*>("Option1")[i]; }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2)); }
    void pick(const char* name, int row) {
        QListWidget* l = list(name);
        l->scrollToItem(l->item(row));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(l->item(row)).center());
    }
    // What the text is drawn with: family, points, bold/italic/underline/
    // strikeout, text and paper colours.
    QString look() {
        const auto get = [this](int m) { return text().SendScintilla(unsigned(m), 0UL); };
        const auto rgb = [&](int m) {
            return QColor(get(m) & 0xff, get(m) >> 8 & 0xff, get(m) >> 16).name().remove(0, 1);
        };
        char name[256] = {};
        text().SendScintilla(S::SCI_STYLEGETFONT, 0UL, static_cast<const char*>(name));
        return QStringLiteral("%1 %2 %3%4%5%6 %7 %8")
            .arg(name, QString::number(get(S::SCI_STYLEGETSIZEFRACTIONAL) / 100),
                 get(S::SCI_STYLEGETBOLD) ? "b" : "-", get(S::SCI_STYLEGETITALIC) ? "i" : "-",
                 get(S::SCI_STYLEGETUNDERLINE) ? "u" : "-", text().isStrikeout() ? "s" : "-",
                 rgb(S::SCI_STYLEGETFORE), rgb(S::SCI_STYLEGETBACK));
    }
    // What the controls show: rows; Bold, Italic, Strikeout, Underline, Fore,
    // Back; the colour entries shown selected.
    QString shown() {
        QString state = QStringLiteral("%1 %2 ")
                            .arg(list("List1")->currentRow())
                            .arg(list("List2")->currentRow());
        for (const char* name : {"Check2", "Check3", "Check4", "Check5", "Option2", "Option3"})
            state += at(name)->isChecked() ? '1' : '0';
        for (int i = 0; i < 8; ++i)
            state += colour(i)->isChecked() ? QStringLiteral(" %1").arg(i) : QString();
        return state;
    }
    QList<int> stored() {
        return {fonts.fontIndex, fonts.sizeIndex, fonts.bold,
                fonts.italic,    fonts.strikeout, fonts.underline};
    }
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    // Shown as stored; sizes are the row plus 9 points, not the entry's text;
    // styles cover the text typed after too; colours go to the target
    // chosen; kept on Esc (even from a list, which has keys of its own),
    // restored at the next opening, stored again when the main window closes
    // it.
    void fontDialog() {
        FontEditor e;
        QVERIFY(e.showActive());
        e.text().appendBytes("ab");
        QPointer<Form2> dialog = e.open();
        // "MS Sans Serif", "10", Fore: the default text colour is none of the eight.
        QCOMPARE(e.shown() + ' ' + e.look(), "9 1 000010 DejaVu Sans 10 ---- 000000 ffffff");
        // Captions; the keyboard walks the colours in their own order, not
        // their screen order; every control within its frame and overlapping
        // none of its neighbours (frames may share an edge).
        QStringList seen{dialog->windowTitle()};
        for (QGroupBox* frame : dialog->findChildren<QGroupBox*>())
            seen << frame->title();
        for (QWidget* w = e.colour(0); seen.size() < 23; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                seen << (w->inherits("QAbstractButton") ? w->property("text").toString()
                                                        : w->objectName());
        QCOMPARE(seen.join(','),
                 "Font...,FONT,Select,COLOR,STYLE,SIZE,Black,Blue,Green,Cyan,Magenta,White,Red,"
                 "Yellow,List1,Bold,Italic,Strikeout,Underline,List2,Fore,Back,Black");
        for (QWidget* w : dialog->findChildren<QWidget*>(QRegularExpression("^[A-Z]")))
            for (QWidget* other :
                 w->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY(w->parentWidget()->rect().contains(w->geometry()) &&
                        (other == w ||
                         !other->geometry().intersects(w->geometry().adjusted(1, 1, -1, -1))));
        e.text().setFontPointSize(30); // behind its back: opening again only brings it forward
        QCOMPARE(e.open(), dialog.data());
        QVERIFY(e.look().startsWith("DejaVu Sans 30 ") && e.platform.callsOf("show").size() == 2);
        e.pick("List2", 0);
        QVERIFY(e.look().startsWith("DejaVu Sans 9 "));
        e.pick("List1", 5); // "Courier New"
        e.pick("List2", 5); // "14"
        for (const char* name : {"Check2", "Check3", "Check5", "Check5", "Check4", "Option3"})
            e.click(e.at(name));
        QTest::keyClicks(&e.text(), QStringLiteral("cd"));
        for (unsigned long pos : {0UL, 3UL}) // struck out
            QCOMPARE(e.text().SendScintilla(S::SCI_INDICATORVALUEAT, 8UL, pos), 1);
        // The paper is white, so Back finds White; Fore then matches nothing,
        // so the Magenta just chosen stays shown and nothing is applied.
        QVERIFY(e.shown().endsWith("01 1"));
        e.click(e.colour(6));
        e.click(e.at("Option2"));
        QVERIFY(e.shown().endsWith("10 6") && !e.text().foregroundColour());
        QString colours;
        for (int i = 0; i < 8; ++i)
            e.click(e.colour(i)), colours += e.colour(i)->text() + e.look().section(' ', -2, -2);
        QCOMPARE(colours, "Black000000WhiteffffffRedff0000Blue0000ffGreen00ff00Cyan00ffffMagentaff0"
                          "0ffYellowffff00");
        e.click(e.colour(3));
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        e.list("List1")->setFocus();
        QTest::keyClick(e.list("List1"), Qt::Key_Escape);
        QCOMPARE(e.stored(), QList<int>({5, 5, 1, 1, 1, 0}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
        dialog = e.open(); // Fore again, showing the entry that matches the text
        QCOMPARE(e.shown() + ' ' + e.look(), "5 5 111010 3 Liberation Mono 14 bi-s 0000ff ff00ff");
        e.pick("List1", 0);
        e.click(e.at("Check5"));
        e.state().isSaved = true;
        QVERIFY(e.form.close());
        QCOMPARE(e.platform.callsOf("close"), QList<PlatformCall>({{"close", "Form2", {}, -1}}));
        QCOMPARE(e.stored(), QList<int>({0, 5, 1, 1, 1, 1}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }

    // A click on a missing font returns to the entry before it, with one
    // message; the last good font outlives the window: a stored font failing
    // at the next opening returns to it. A last good font uninstalled since
    // it was applied ends the fall-back.
    void storedFontFailingTwiceStopsAfterTwoMessages() {
        FontEditor e;
        e.open();
        e.pick("List1", 12); // "Times New Roman"
        e.pick("List1", impact);
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>{notFound});
        e.dialog()->close();
        e.fonts.fontIndex = verdana;
        e.open();
        QCOMPARE(e.shown().left(3) + e.look().left(16), "12 Liberation Serif");
        FontDialogMemory memory{impact};
        FontDialogLogic logic(e.text(), e.platform, memory);
        logic.openingSteps(FontSettings{.fontIndex = verdana});
        QCOMPARE(e.platform.callsOf("messageBox"), QList<PlatformCall>(4, notFound));
        QVERIFY(logic.fontRow() == impact && e.text().fontFamily() == "Liberation Serif");
    }

    // One modeless box with only a close box; Enter and Esc close it
    // wherever the focus is, and so does closing the main window.
    void aboutBox() {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_unknown}) {
            Editor e;
            e.form.show();
            for (int twice = 0; twice < 2; ++twice)
                e.form.action("About")->trigger();
            QPointer<QWidget> box = e.form.aboutWindow();
            const auto label = [&](const char* name) { return box->findChild<QLabel*>(name); };
            const auto frame =
                Qt::WindowType_Mask | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint;
            QVERIFY(e.form.findChildren<frmAbout*>().size() == 1 &&
                    e.platform.callsOf("show").size() == 2);
            QVERIFY(box->isVisible() && !box->isModal() &&
                    box->minimumSize() == box->maximumSize() &&
                    (box->windowFlags() & frame) == (Qt::Dialog | Qt::WindowCloseButtonHint));
            QCOMPARE(box->windowTitle() + '|' + label("lblVersion")->text() + '|' +
                         label("lblDisclaimer")->text(),
                     "About tarnpad|Version 1.0.0|I made this to help myself avoid the hassles in "
                     "the execution of Java Files. It is not an IDE. Just have Fun!");
            QVERIFY(label("picIcon")->pixmap().size() == QSize(32, 32) &&
                    box->focusWidget()->property("default").toBool());
            for (const char* name :
                 {"lblTitle", "lblDescription", "lblDisclaimer"}) // on any scheme
                QCOMPARE(label(name)->palette().color(QPalette::WindowText), QColor(Qt::black));
            if (key == Qt::Key_unknown)
                QVERIFY(e.form.close());
            else
                QTest::keyClick(label(key == Qt::Key_Return ? "lblDescription" : "lblDisclaimer"),
                                key);
            QCOMPARE(e.platform.callsOf("close"),
                     QList<PlatformCall>(key == Qt::Key_unknown, {"close", "frmAbout", {}, -1}));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(box.isNull());
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
