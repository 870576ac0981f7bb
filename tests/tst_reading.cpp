// What a reader or the eye gets from the text area: the accessibility
// interface and its events in both code pages, colours that stay readable
// whatever the desktop's scheme, and the installed stand-ins for fonts.
#include "editing/EditCommands.h"
#include "platform/FontMapping.h"
#include "platform/ReadableColours.h"
#include "support/Editor.h"
#include "support/Harness.h"

#include <QAccessible>
#include <QtTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

QStringList told; // every text event a reader is given; ^ is the caret

void record(QAccessibleEvent* ev) {
    if (auto* i = dynamic_cast<QAccessibleTextInsertEvent*>(ev))
        told << QStringLiteral("+%1 ").arg(i->changePosition()) + i->textInserted();
    else if (auto* r = dynamic_cast<QAccessibleTextRemoveEvent*>(ev))
        told << QStringLiteral("-%1 ").arg(r->changePosition()) + r->textRemoved();
    else if (auto* u = dynamic_cast<QAccessibleTextUpdateEvent*>(ev))
        told << QStringLiteral("=%1 ").arg(u->changePosition()) + u->textRemoved() + '>' +
                    u->textInserted();
    else if (auto* s = dynamic_cast<QAccessibleTextSelectionEvent*>(ev))
        told << QStringLiteral("sel %1 %2").arg(s->selectionStart()).arg(s->selectionEnd());
    else if (auto* c = dynamic_cast<QAccessibleTextCursorEvent*>(ev))
        told << QStringLiteral("^%1").arg(c->cursorPosition());
}

// UTF-8 that the single-byte code page reads too: CR LF, letters of two
// bytes, one beyond the first plane (offsets 10-11), a byte that starts no
// character; 15 characters in UTF-8, 19 in the single-byte code page.
const QByteArray sample = "ab\r\nGr\xc3\xbc\xc3\x9f\x65 \xf0\x9f\x98\x80\n\xff\x7a";

// In UTF-8, the unit around an offset, at (0), before (-1) or after (1) it: its
// start and end (-1: none).
struct UnitRow {
    const char* name;
    int side, unit, offset, start, end;
};
const UnitRow unitRows[] = {
    {"line at", 0, QAccessible::LineBoundary, 5, 4, 13},
    {"line before", -1, QAccessible::LineBoundary, 5, 0, 4},
    {"no line before the first", -1, QAccessible::LineBoundary, 1, -1, -1},
    {"no line after the last", 1, QAccessible::LineBoundary, 14, -1, -1},
    {"word at", 0, QAccessible::WordBoundary, 6, 4, 9},
    {"word after", 1, QAccessible::WordBoundary, 4, 9, 10},
    {"character of two units", 0, QAccessible::CharBoundary, 10, 10, 12},
    {"no character at the end", 0, QAccessible::CharBoundary, 15, -1, -1},
    {"character before", -1, QAccessible::CharBoundary, 1, 0, 1},
    {"whole text", 0, QAccessible::NoBoundary, 3, 0, 15},
    {"at, past the end", 0, QAccessible::LineBoundary, 16, -1, -1},
};

long pointX(Text1& text, long position) {
    return text.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position);
}

// A shown UTF-8 editor holding `bytes`, its caret at `caret`, laid out.
void show(Editor& e, const QByteArray& bytes, long caret) {
    e.form.resize(2400, 300);
    QVERIFY(e.showActive());
    e.type(bytes);
    e.text().setSelectionRange(caret, caret);
    QTest::qWait(50);
}

// Where the text component puts characters (the caret, a click, the
// scroll) is where their glyphs are drawn: after typing on lines of a
// megabyte, after edits that lay a line out again only from near the change,
// and in kerned proportional fonts ("AV", "Te"), measured one way and drawn
// another, or measured by a layout of the segment (é).
struct LayoutRow {
    const char *name, *family;
    QByteArray line;
    long at = -1; // where a key is pressed, else the rightmost ink is measured
    int key = 0;
    bool fresh = true; // compared with a fresh layout, else the typed bytes
};
const QByteArray tabbed =
    QByteArray("int a;\tb = \"\xc3\xa9t\xc3\xa9\"; ").repeated(1600).left(40000);
const LayoutRow layoutRows[] = {
    {"kerned, sans", "DejaVu Sans", QByteArray("AVTe").repeated(30)},
    {"kerned, serif", "Liberation Serif", QByteArray("AVTe").repeated(30)},
    {"accented, sans", "DejaVu Sans", QByteArray("AV\xc3\xa9Te").repeated(30)},
    {"typed at the end", "", tabbed, 40000, Qt::Key_X},
    {"typed in the middle", "", tabbed, 20001, Qt::Key_X},
    {"tab typed near the start", "", tabbed, 5, Qt::Key_Tab},
    {"deleted in the middle", "", tabbed, 20001, Qt::Key_Backspace},
    {"1 MiB, typed at the end", "", QByteArray("{\"key\": [1, 2]}, ").repeated(1 << 16), 17 << 16,
     Qt::Key_X, false},
    // An odd start puts a two-byte character across the 4096-byte steps in
    // which a long line is looked at.
    {"two-byte steps, typed at the end", "", "a" + QByteArray("\xc3\xa9").repeated(2500), 5001,
     Qt::Key_X, false},
};

} // namespace

class TestReading : public QObject {
    Q_OBJECT

private slots:
    // Every unit of the table; caret and selection in offsets, the document
    // in bytes; editing in the code page's bytes, where what it cannot hold
    // changes nothing. Then one event per change at the offset the reader
    // counts in, and the caret after it: é, Enter (CR LF) and Backspace
    // typed at the end; a paste over a selection is one removal and one
    // insertion, New one update; nothing, and no line index, while no
    // reader listens.
    void readerFollows() {
        QAccessible::installUpdateHandler(record);
        const auto listen = [](bool on) {
            QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
        };
        for (const auto& [utf8, in, edited, typed] :
             {std::tuple{
                  1, QString::fromUtf8("ab\r\nGr\u00fc\u00dfe \U0001F600\n\ufffdz"),
                  "\xc3\xa9\x62\r\n\xc3\xa9\xd0\x9f" + sample.mid(11),
                  "+12 é|^13|+13 \r\n|^15|-13 \r\n|^13|paste|sel 0 1|^1|+1 xy|-0 é|sel 2 2|^2"},
              {0, QString::fromLatin1(sample), "\xe9\x62" + sample.mid(2),
               "+19 é|^20|+20 \r\n|^22|-20 \r\n|^20|paste|sel 0 2|^2|+2 xy|-0 éb|sel 2 2"}}) {
            listen(true);
            Editor e(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
            Text1& text = e.text();
            text.SendScintilla(Text1::SCI_SETEOLMODE, Text1::SC_EOL_CRLF), e.type(sample);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&text);
            QAccessibleTextInterface* t = a->textInterface();
            QVERIFY(a->state().multiLine && a->state().editable &&
                    t->characterCount() == in.size() && t->text(0, int(in.size())) == in);
            int from = 0, to = 0;
            for (const UnitRow& r : unitRows) {
                const auto unit = QAccessible::TextBoundaryType(r.unit);
                const QString got = r.side < 0   ? t->textBeforeOffset(r.offset, unit, &from, &to)
                                    : r.side > 0 ? t->textAfterOffset(r.offset, unit, &from, &to)
                                                 : t->textAtOffset(r.offset, unit, &from, &to);
                const QString want = r.start < 0 ? QString() : in.mid(r.start, r.end - r.start);
                QVERIFY2(!utf8 || (got == want && from == r.start && to == r.end), r.name);
            }
            const int g = int(in.indexOf('G')), space = int(in.indexOf(' '));
            QList<long> seen{t->selectionCount()};
            t->setCursorPosition(int(in.indexOf('\n', g))),
                seen << t->cursorPosition() << text.caretPosition();
            t->setSelection(0, g, space), t->selection(0, &from, &to);
            QCOMPARE(seen << t->selectionCount() << from << to,
                     QList<long>({0, in.indexOf('\n', g), sample.indexOf('\n', 4), 1, g, space}));
            QCOMPARE(text.selectedBytes(), "Gr\xc3\xbc\xc3\x9f\x65");
            QAccessibleEditableTextInterface* edit = a->editableTextInterface();
            edit->replaceText(g, space, "\u00e9\u041f"), edit->insertText(0, "\u00e9"),
                edit->deleteText(1, 2);
            QCOMPARE(text.bytes(), edited);
            QTest::keyClick(&text, Qt::Key_End, Qt::ControlModifier), told.clear();
            QTest::sendKeyEvent(QTest::Click, &text, Qt::Key_unknown, "\u00e9", Qt::NoModifier);
            QTest::keyClick(&text, Qt::Key_Return), QTest::keyClick(&text, Qt::Key_Backspace);
            told << "paste", e.state().clipText = "xy", text.setSelectionRange(0, 2);
            editing::edpaste(e.state(), text, e.platform);
            const QString before = text.readableText(0, long(text.byteLength()));
            told << "new", e.state().isSaved = true, e.form.new_();
            listen(false), QTest::keyClicks(&text, QStringLiteral("abc"));
            QCOMPARE(told.join('|'), QString::fromUtf8(typed) + "|new|=0 " + before + ">|^0");
            QCOMPARE(text.SendScintilla(Text1::SCI_GETLINECHARACTERINDEX), 0L);
            listen(true);
            QCOMPARE(text.SendScintilla(Text1::SCI_GETLINECHARACTERINDEX),
                     utf8 ? long(Text1::SC_LINECHARACTERINDEX_UTF16) : 0L);
            // The reader's text and Scintilla's line index count the same
            // characters whatever the bytes: cut sequences, overlong ones and
            // surrogates, beyond U+10FFFF, stray trail bytes, valid ones of three
            // and four bytes.
            text.appendBytes(
                "\xc3\r\n\xe2\x82\n\xf0\x9f\x98|\xc0\xaf\xe0\x80\xaf\xed\xa0\x80\xf0\x80\x80"
                "\x80\xf4\x90\x80\x80\x80\xbf\xf8\xef\xbf\xbd\xf4\x8f\xbf\xbd");
            for (long p = 0, n = long(text.byteLength()); p <= n;
                 p = p < n ? long(text.SendScintilla(Text1::SCI_POSITIONAFTER, p)) : n + 1)
                QVERIFY(text.offsetAt(p) == text.readableText(0, p).size() &&
                        text.positionAt(text.offsetAt(p)) == p);
        }
    }

    // The lightest grey that still reads on white and the next one; a light
    // desktop scheme is kept, else the style's; with neither, black on white.
    // KDE's Breeze Dark's selection pair reads at only 2.4:1.
    void colours() {
        const auto ratio = [](QColor a, QColor b) { return qRound(contrastRatio(a, b) * 100); };
        QVERIFY(ratio(Qt::black, Qt::white) == 2100 && ratio(Qt::white, 0x767676) == 454 &&
                ratio(0x777777, Qt::white) == 448);
        const QPalette dark(QColor(0x292c30), QColor(0x202326)), paper{QColor(Qt::white)},
            none = lightScheme(dark, dark);
        QVERIFY(lightScheme(paper, dark) == paper && lightScheme(dark, paper) == paper &&
                none.text().color() == Qt::black && none.windowText() == none.text() &&
                none.base().color() == Qt::white);
        // A pair that reads keeps its text colour; one that does not gets
        // black or white, whichever reads better.
        QCOMPARE(QList({readableOn(0x202326, 0x3daee9), readableOn(0x3daee9, 0xfcfcfc),
                        readableOn(Qt::darkBlue, Qt::blue)}),
                 QList<QColor>({0x3daee9, Qt::black, Qt::white}));
    }

    // Arial and Courier have stand-ins, an installed family is itself, and
    // the dialogs use the small sans serif face.
    void fontStandIns() {
        QCOMPARE(installedFamilyFor("Arial") + '|' + installedFamilyFor("Courier") + '|' +
                     installedFamilyFor("DejaVu Serif") + '|' + dialogFont().family() + ' ' +
                     QString::number(dialogFont().pointSize()),
                 "Liberation Sans|Liberation Mono|DejaVu Serif|DejaVu Sans 8");
    }
    void layout_data() { addRows(layoutRows); }
    void layout() {
        const LayoutRow& r = row(layoutRows);
        Editor edited(CodePage::Utf8), fresh(CodePage::Utf8);
        if (r.at < 0) { // the last glyph ends within a few pixels of its advance
            edited.text().setFontFamily(r.family);
            edited.text().setFontPointSize(12);
            show(edited, r.line, 0);
            const QImage image = edited.text().viewport()->grab().toImage();
            int ink = image.width() - 1;
            const int height =
                int(edited.text().SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL));
            while (ink > 0 && [&] {
                for (int y = 0; y < height; ++y)
                    if (qGray(image.pixel(ink, y)) < 128)
                        return false;
                return true;
            }())
                --ink;
            QVERIFY2(qAbs(ink - pointX(edited.text(), r.line.size())) <= 3,
                     qPrintable(QString::number(ink)));
            return;
        }
        show(edited, r.line + '\n', r.at);
        QTest::keyClick(&edited.text(), Qt::Key(r.key));
        QTest::qWait(50);
        const QByteArray bytes = edited.text().bytes();
        if (!r.fresh) { // exactly the key's byte, the caret after it, drawn there
            QCOMPARE(bytes, r.line + "x\n");
            QCOMPARE(edited.text().caretPosition(), r.at + 1);
            const long x = pointX(edited.text(), r.at + 1);
            QVERIFY(x > pointX(edited.text(), r.at) && x < edited.text().viewport()->width());
            // One character's width from each to the next across the first step.
            for (long at = 4096 - 11; r.line.size() < 9000 && at < 4096 + 13; at += 2)
                QVERIFY(qAbs(pointX(edited.text(), at + 2) - pointX(edited.text(), at) -
                             (pointX(edited.text(), 5001) - pointX(edited.text(), 1)) / 2500.0) <=
                        1.5);
            return;
        }
        QVERIFY(bytes != r.line + '\n');
        show(fresh, bytes, edited.text().caretPosition());
        for (long p = 0; p < bytes.size() - 1; p += 37) {
            while (p > 0 && (uchar(bytes[qsizetype(p)]) & 0xc0) == 0x80)
                ++p;
            QCOMPARE(pointX(edited.text(), p) - pointX(edited.text(), 0),
                     pointX(fresh.text(), p) - pointX(fresh.text(), 0));
        }
    }
};

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
