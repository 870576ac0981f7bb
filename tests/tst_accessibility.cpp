// What a screen reader gets from the text area: text, offsets, caret,
// selection, the text around an offset, editing, and one event per change,
// in both code pages.
#include "editing/EditCommands.h"
#include "support/Editor.h"
#include "support/TestFiles.h"
#include "textarea/Text1.h"

#include <QAccessible>
#include <QTemporaryDir>
#include <QtTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// Every event the accessibility layer is given, as "kind offset text".
QStringList told;

void recordEvent(QAccessibleEvent* event) {
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
        told.append(QStringLiteral("insert %1 %2").arg(e->changePosition()).arg(e->textInserted()));
        break;
    }
    case QAccessible::TextRemoved: {
        const auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
        told.append(QStringLiteral("remove %1 %2").arg(e->changePosition()).arg(e->textRemoved()));
        break;
    }
    case QAccessible::TextUpdated: {
        const auto* e = static_cast<QAccessibleTextUpdateEvent*>(event);
        told.append(QStringLiteral("update %1 %2>%3")
                        .arg(e->changePosition())
                        .arg(e->textRemoved(), e->textInserted()));
        break;
    }
    case QAccessible::TextCaretMoved:
        told.append(QStringLiteral("caret %1")
                        .arg(static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition()));
        break;
    case QAccessible::TextSelectionChanged: {
        const auto* e = static_cast<QAccessibleTextSelectionEvent*>(event);
        told.append(
            QStringLiteral("selection %1 %2").arg(e->selectionStart()).arg(e->selectionEnd()));
        break;
    }
    default:
        break;
    }
}

// What the platform does when a screen reader starts or stops listening.
void setReaderListening(bool on) {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
}

CodePage codePageOf(bool utf8) {
    return utf8 ? CodePage::Utf8 : CodePage::SingleByte;
}

void type(QWidget* widget, const QString& text) {
    for (const uint c : text.toUcs4()) {
        const char32_t character = c;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&character, 1),
                            Qt::NoModifier);
    }
}

// Bytes in UTF-8 that are also read in the single-byte code page: two
// lines with CR LF, letters of two bytes, one beyond the first plane, a byte
// that starts no character.
const QByteArray sample = "ab\r\nGr\xc3\xbc\xc3\x9f"
                          "e \xf0\x9f\x98\x80\n\xff"
                          "z";

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QAccessible::installUpdateHandler(recordEvent);
        setReaderListening(true);
        QVERIFY(QAccessible::isActive());
    }

    void init() {
        QVERIFY(dir_.isValid());
        setReaderListening(true);
        told.clear();
    }

    // The text interface reads the document as the screen shows it.
    void textInterface_data() {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("shown"); // the text as the reader gets it
        QTest::newRow("UTF-8") << true
                               << QString::fromUtf8("ab\r\nGr\u00fc\u00dfe \U0001F600\n\ufffdz");
        QTest::newRow("single-byte") << false << QString::fromLatin1(sample);
    }
    void textInterface() {
        QFETCH(bool, utf8);
        QFETCH(QString, shown);
        Editor e(codePageOf(utf8));
        open(e, sample);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&e.text());
        QVERIFY(accessible);
        QAccessibleTextInterface* text = accessible->textInterface();
        QAccessibleEditableTextInterface* editable = accessible->editableTextInterface();
        QVERIFY(text && editable);
        QVERIFY(accessible->state().multiLine && accessible->state().editable);

        QCOMPARE(text->characterCount(), shown.size());
        QCOMPARE(text->text(0, text->characterCount()), shown);
        const qsizetype g = shown.indexOf('G');
        const qsizetype secondBreak = shown.indexOf('\n', g);
        const qsizetype space = shown.indexOf(' ');
        QCOMPARE(text->text(g, space), shown.mid(g, space - g));

        int start = 0;
        int end = 0;
        QCOMPARE(text->textAtOffset(g + 1, QAccessible::LineBoundary, &start, &end),
                 shown.mid(g, secondBreak + 1 - g));
        QCOMPARE(QList<int>({start, end}), QList<int>({int(g), int(secondBreak + 1)}));
        QCOMPARE(text->textBeforeOffset(g + 1, QAccessible::LineBoundary, &start, &end),
                 QString("ab\r\n"));
        QCOMPARE(QList<int>({start, end}), QList<int>({0, 4}));
        QCOMPARE(text->textAfterOffset(g, QAccessible::LineBoundary, &start, &end),
                 shown.mid(secondBreak + 1));
        QCOMPARE(text->textAtOffset(g + 2, QAccessible::WordBoundary, &start, &end),
                 shown.mid(g, space - g));
        QCOMPARE(QList<int>({start, end}), QList<int>({int(g), int(space)}));
        QCOMPARE(text->textAfterOffset(g, QAccessible::WordBoundary, &start, &end), QString(" "));
        QCOMPARE(text->textAtOffset(int(space + 1), QAccessible::CharBoundary, &start, &end),
                 shown.mid(space + 1, utf8 ? 2 : 1));
        QCOMPARE(text->textBeforeOffset(1, QAccessible::CharBoundary, &start, &end), QString("a"));
        QCOMPARE(text->textAtOffset(shown.size(), QAccessible::CharBoundary, &start, &end),
                 QString());

        // Caret and selection in offsets, the document in bytes.
        text->setCursorPosition(int(secondBreak));
        QCOMPARE(text->cursorPosition(), int(secondBreak));
        QCOMPARE(e.text().caretPosition(), long(sample.indexOf('\n', 4)));
        text->setSelection(0, int(g), int(space));
        QCOMPARE(e.text().selectedBytes(), QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                      "e"));
        QCOMPARE(text->selectionCount(), 1);
        text->selection(0, &start, &end);
        QCOMPARE(QList<int>({start, end}), QList<int>({int(g), int(space)}));

        // Editing goes in as the code page's bytes; what it cannot hold
        // changes nothing.
        editable->replaceText(int(g), int(space), QStringLiteral("\u00e9\u041f"));
        editable->insertText(0, QStringLiteral("\u00e9"));
        editable->deleteText(1, 2);
        QCOMPARE(e.text().bytes(), utf8 ? QByteArray("\xc3\xa9"
                                                     "b\r\n\xc3\xa9\xd0\x9f"
                                                     " \xf0\x9f\x98\x80\n\xff"
                                                     "z")
                                        : QByteArray("\xe9"
                                                     "b")
                                              .append(sample.mid(2)));
    }

    // One event per change, at the offset the reader counts in, and the
    // caret after it; nothing while no reader listens.
    void events_data() {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QStringList>("expected");
        // The file's line break is CR LF, two characters; the euro sign is
        // not in the single-byte code page and is not typed.
        QTest::newRow("UTF-8") << true << QStringList{"insert 15 \u00e9", "caret 16",
                                                      "insert 16 \u20ac", "caret 17",
                                                      "insert 17 \r\n",   "caret 19",
                                                      "remove 17 \r\n",   "caret 17",
                                                      "caret 0",          "caret 17"};
        QTest::newRow("single-byte")
            << false << QStringList{"insert 19 \u00e9", "caret 20", "insert 20 \r\n", "caret 22",
                                    "remove 20 \r\n",   "caret 20", "caret 0",        "caret 20"};
    }
    void events() {
        QFETCH(bool, utf8);
        QFETCH(QStringList, expected);
        Editor e(codePageOf(utf8));
        open(e, sample);
        QVERIFY(e.showActive());
        QTest::keyClick(&e.text(), Qt::Key_End, Qt::ControlModifier);
        told.clear();
        type(&e.text(), QStringLiteral("\u00e9\u20ac"));
        QTest::keyClick(&e.text(), Qt::Key_Return);
        QTest::keyClick(&e.text(), Qt::Key_Backspace);
        QTest::keyClick(&e.text(), Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(&e.text(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(told, expected);

        // Program changes: a selection replaced by a paste is one removal
        // and one insertion.
        told.clear();
        e.state().clipText = "xy";
        e.text().setSelectionRange(0, 2);
        editing::edpaste(e.state(), e.text(), e.platform);
        // The caret ends where it stood, after two characters.
        QCOMPARE(told, (QStringList{"selection 0 2", "caret 2", "insert 2 xy", "remove 0 ab",
                                    "selection 2 2"}));

        // A new document tells the whole change at once.
        told.clear();
        e.state().isSaved = true;
        e.form.new_();
        QCOMPARE(told.size(), 2);
        QVERIFY(told.first().startsWith("update 0 xy\r\n"));
        QCOMPARE(told.last(), QString("caret 0"));

        // No reader: no events, and no line index kept.
        setReaderListening(false);
        type(&e.text(), QStringLiteral("abc"));
        QCOMPARE(told.size(), 2);
        QCOMPARE(e.text().SendScintilla(QsciScintillaBase::SCI_GETLINECHARACTERINDEX), 0L);
        setReaderListening(true);
        QCOMPARE(e.text().SendScintilla(QsciScintillaBase::SCI_GETLINECHARACTERINDEX),
                 utf8 ? long(QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16) : 0L);
    }

    // The text a reader gets and the offsets of Scintilla's line index
    // count the same characters, whatever the bytes: otherwise every offset
    // after an odd byte would point elsewhere.
    void offsetsAgreeWithTheDocument_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("cut sequences") << QByteArray("a\xc3\r\n\xe2\x82\n\xf0\x9f\x98");
        QTest::newRow("overlong and surrogates") << QByteArray("\xc0\xaf\xe0\x80\xaf\xed\xa0\x80");
        QTest::newRow("beyond U+10FFFF, stray trail bytes")
            << QByteArray("\xf4\x90\x80\x80\x80\xbf\xf8\xff");
        QTest::newRow("valid, up to four bytes")
            << QByteArray("\xf0\x9f\x98\x80\xef\xbf\xbd\xf4\x8f\xbf\xbd\xc3\xa9");
    }
    void offsetsAgreeWithTheDocument() {
        QFETCH(QByteArray, bytes);
        Editor e(CodePage::Utf8);
        e.text().appendBytes(bytes + "\n" + bytes);
        Text1& t = e.text();
        QCOMPARE(t.characterCount(), t.readableText(0, long(t.byteLength())).size());
        for (long p = 0; p <= long(t.byteLength());
             p = p < long(t.byteLength()) ? long(t.SendScintilla(Text1::SCI_POSITIONAFTER, p))
                                          : p + 1) {
            QCOMPARE(t.offsetAt(p), t.readableText(0, p).size());
            QCOMPARE(t.positionAt(t.offsetAt(p)), p);
        }
    }

private:
    void open(Editor& e, const QByteArray& content) {
        const QString path = dir_.filePath(QStringLiteral("Sample.java"));
        QVERIFY(writeBytes(path, content));
        e.platform.openAnswers.push_back(FakePlatform::choose(path));
        e.form.open();
        QCOMPARE(e.text().bytes(), content);
    }

    QTemporaryDir dir_;
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
