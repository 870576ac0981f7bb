// Where the text area says a character is (the caret, a click, the
// horizontal scroll) must be where its glyph is drawn, on short lines in
// proportional fonts as on lines of a megabyte, and typing on a long line
// must change exactly the bytes typed.
#include "support/Editor.h"

#include <QImage>
#include <QTest>

using namespace tarnwick;
using tarnwick::test::Editor;

namespace {

long pointX(Text1& text, long position) {
    return text.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position);
}

// The rightmost column of a text line (from 0 at the top of the window)
// that holds ink: a pixel clearly darker than the white paper.
int rightmostInk(Text1& text, int line = 0) {
    const QImage image = text.viewport()->grab().toImage();
    const int lineHeight = int(text.SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL));
    for (int x = image.width() - 1; x >= 0; --x) {
        for (int y = line * lineHeight; y < (line + 1) * lineHeight && y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 128)
                return x;
        }
    }
    return -1;
}

} // namespace

class TestTextLayout : public QObject {
    Q_OBJECT
private slots:
    void caretEndsWhereTheTextIsDrawn_data();
    void caretEndsWhereTheTextIsDrawn();
    void longLineTypedAtEnd_data();
    void longLineTypedAtEnd();
    void longLineEditsLaidOutAsNew_data();
    void longLineEditsLaidOutAsNew();
};

void TestTextLayout::caretEndsWhereTheTextIsDrawn_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<QByteArray>("line");
    // "AV" and "Te" are kerned in proportional fonts: measured one way and
    // drawn another, sixty pairs put the caret far off the last glyph.
    const QByteArray kerned = QByteArray("AVTe").repeated(30);
    QTest::newRow("proportional, kerned pairs") << "DejaVu Sans" << kerned;
    QTest::newRow("serif, kerned pairs") << "Liberation Serif" << kerned;
    QTest::newRow("fixed width") << "Liberation Mono" << kerned;
    // Not plain ASCII: measured by a layout of the segment.
    QTest::newRow("proportional, accented")
        << "DejaVu Sans" << QByteArray("AV\xc3\xa9Te").repeated(30);
}

void TestTextLayout::caretEndsWhereTheTextIsDrawn() {
    QFETCH(QString, family);
    QFETCH(QByteArray, line);
    Editor e(CodePage::Utf8);
    e.form.resize(2400, 300);
    QVERIFY(e.showActive());
    Text1& text = e.text();
    text.setFontFamily(family);
    text.setFontPointSize(12);
    e.type(line);
    QTest::qWait(50);
    const long end = pointX(text, text.byteLength());
    QVERIFY2(end < text.viewport()->width(), "the line must fit the window for this test");
    // The last glyph ("e" or "V") ends within a few pixels of its advance.
    QVERIFY2(
        qAbs(rightmostInk(text) - end) <= 3,
        qPrintable(
            QStringLiteral("ink ends at %1, the caret at %2").arg(rightmostInk(text)).arg(end)));
}

void TestTextLayout::longLineTypedAtEnd_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("twoByteSteps");
    // An odd start puts a two-byte character across every 4096-byte step
    // in which the long line is looked at.
    QTest::newRow("5000 bytes across a step")
        << "a" + QByteArray("\xc3\xa9").repeated(2500) << true;
    QTest::newRow("1 MiB, ASCII") << QByteArray("{\"key\": [1, 2]}, ").repeated(1 << 16) << false;
    QTest::newRow("1 MiB, no spaces") << QByteArray("abcdefghijklmnop").repeated(1 << 16) << false;
}

void TestTextLayout::longLineTypedAtEnd() {
    QFETCH(QByteArray, line);
    QFETCH(bool, twoByteSteps);
    Editor e(CodePage::Utf8);
    QVERIFY(e.showActive());
    Text1& text = e.text();
    const QByteArray before = "class A {}\n" + line + "\nclass B {}\n";
    e.type(before);
    const long lineEnd = long(11 + line.size());
    text.setSelectionRange(lineEnd, lineEnd);
    QTest::qWait(50);
    // Scrolled to the caret, and something drawn there.
    const long caretX = pointX(text, lineEnd);
    QVERIFY2(caretX > 0 && caretX < text.viewport()->width(), qPrintable(QString::number(caretX)));
    QVERIFY(rightmostInk(text, 1) >= 0);

    QTest::keyClick(&text, Qt::Key_X);
    QTest::qWait(50);
    QCOMPARE(text.bytes(), "class A {}\n" + line + "x\nclass B {}\n");
    QCOMPARE(text.caretPosition(), lineEnd + 1);
    QVERIFY(pointX(text, lineEnd + 1) > pointX(text, lineEnd));
    // One character's width from each to the next, across the first
    // 4096-byte step too (within a pixel: positions are fractional).
    if (twoByteSteps) {
        const long first = 11 + 1;
        const long count = 2500;
        const double width = double(pointX(text, first + 2 * count) - pointX(text, first)) / count;
        for (long at = first + 4096 - 12; at < first + 4096 + 12; at += 2) {
            const long step = pointX(text, at + 2) - pointX(text, at);
            QVERIFY2(qAbs(step - width) <= 1.5,
                     qPrintable(QStringLiteral("%1: %2").arg(at).arg(step)));
        }
    }
}

void TestTextLayout::longLineEditsLaidOutAsNew_data() {
    QTest::addColumn<long>("at");
    QTest::addColumn<int>("key");
    // A line of 40,000 bytes with tabs (whose width depends on where they
    // fall) and two-byte characters; edits at its start, middle and end.
    QTest::newRow("typed at the end") << 40000L << int(Qt::Key_X);
    QTest::newRow("typed in the middle") << 20001L << int(Qt::Key_X);
    QTest::newRow("tab typed near the start") << 5L << int(Qt::Key_Tab);
    QTest::newRow("deleted in the middle") << 20001L << int(Qt::Key_Backspace);
}

// After an edit the line is laid out only from shortly before the change;
// every character must be where a fresh layout of the same text puts it.
void TestTextLayout::longLineEditsLaidOutAsNew() {
    QFETCH(long, at);
    QFETCH(int, key);
    const QByteArray line =
        QByteArray("int a;\tb = \"\xc3\xa9t\xc3\xa9\"; ").repeated(1600).left(40000);
    Editor edited(CodePage::Utf8);
    QVERIFY(edited.showActive());
    edited.type(line + '\n');
    edited.text().setSelectionRange(at, at);
    QTest::qWait(20);
    QTest::keyClick(&edited.text(), Qt::Key(key));
    QTest::qWait(20);

    Editor fresh(CodePage::Utf8);
    QVERIFY(fresh.showActive());
    fresh.type(edited.text().bytes());
    fresh.text().setSelectionRange(edited.text().caretPosition(), edited.text().caretPosition());
    QTest::qWait(20);
    const QByteArray bytes = fresh.text().bytes();
    QVERIFY(bytes != line + '\n');
    for (long p = 0; p < bytes.size() - 1; p += 37) {
        while (p > 0 && (uchar(bytes[qsizetype(p)]) & 0xc0) == 0x80)
            ++p;
        QCOMPARE(pointX(edited.text(), p) - pointX(edited.text(), 0),
                 pointX(fresh.text(), p) - pointX(fresh.text(), 0));
    }
}

QTEST_MAIN(TestTextLayout)
#include "tst_textlayout.moc"
