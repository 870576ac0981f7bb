// The margin's line numbers and compiler marks, and moving the caret to a
// line or a found piece of text.
#include "textarea/Text1.h"

#include "platform/ReadableColours.h"

#include <QContextMenuEvent>
#include <QMap>
#include <QMenu>
#include <QStyle>

#include <algorithm>
#include <memory>

namespace tarnwick {

namespace {

constexpr int numberMargin = 0;

int digitsOf(int number) {
    int digits = 1;
    for (; number >= 10; number /= 10)
        ++digits;
    return digits;
}

// Fixed colours, like the paper: a pale ground and dark ink read together
// under any desktop scheme.
const QColor messageBack(0xfd, 0xe8, 0xe8);
const QColor messageFore(0x8b, 0x00, 0x00);
const QColor errorColour(0xd0, 0x00, 0x00);
const QColor warningColour(0xe0, 0xa0, 0x00);

} // namespace

void Text1::configureMargin() {
    SendScintilla(SCI_SETMARGINTYPEN, numberMargin, long(SC_MARGIN_NUMBER));
    SendScintilla(SCI_SETMARGINMASKN, numberMargin, long(markerMask));
    // A bar at the margin's left edge: the line's number stays readable.
    SendScintilla(SCI_MARKERDEFINE, errorMarker, long(SC_MARK_LEFTRECT));
    SendScintilla(SCI_MARKERSETBACK, errorMarker, errorColour);
    SendScintilla(SCI_MARKERDEFINE, warningMarker, long(SC_MARK_LEFTRECT));
    SendScintilla(SCI_MARKERSETBACK, warningMarker, warningColour);
    SendScintilla(SCI_ANNOTATIONSETVISIBLE, long(ANNOTATION_BOXED));
}

void Text1::applyMarginAppearance() {
    // The numbers take the text's font (copied to every style with the
    // default one) on the light ground of the paper's side of the scheme.
    const QPalette light = lightScheme(palette(), style()->standardPalette());
    const QColor back = light.color(QPalette::Active, QPalette::Window);
    SendScintilla(SCI_STYLESETBACK, STYLE_LINENUMBER, back);
    SendScintilla(SCI_STYLESETFORE, STYLE_LINENUMBER,
                  readableOn(back, light.color(QPalette::Active, QPalette::PlaceholderText)));
    SendScintilla(SCI_STYLESETUNDERLINE, STYLE_LINENUMBER, 0L);
    SendScintilla(SCI_STYLESETBACK, messageStyle, messageBack);
    SendScintilla(SCI_STYLESETFORE, messageStyle, messageFore);
    SendScintilla(SCI_STYLESETUNDERLINE, messageStyle, 0L);
}

void Text1::setLineNumbersShown(bool shown) {
    lineNumbers_ = shown;
    fitLineNumbers(true);
}

void Text1::fitLineNumbers(bool fontChanged) {
    // The line count is kept by Scintilla: no pass over the text.
    const int digits = lineNumbers_ ? digitsOf(lineCount()) : 0;
    if (digits == marginDigits_ && !fontChanged)
        return;
    marginDigits_ = digits;
    long width = 0;
    if (digits > 0) {
        const QByteArray widest(digits, '9');
        const long padding = SendScintilla(SCI_TEXTWIDTH, STYLE_LINENUMBER, "9") / 2 + 4;
        width = SendScintilla(SCI_TEXTWIDTH, STYLE_LINENUMBER, widest.constData()) + padding;
    }
    SendScintilla(SCI_SETMARGINWIDTHN, numberMargin, width);
}

int Text1::lineCount() const {
    return int(SendScintilla(SCI_GETLINECOUNT));
}

int Text1::caretLine() const {
    return int(SendScintilla(SCI_LINEFROMPOSITION, caretPosition()));
}

void Text1::goToLine(int line) {
    SendScintilla(SCI_GOTOLINE, qBound(0, line, lineCount() - 1));
    tellReader();
}

bool Text1::replaceRanges(const QList<QPair<qint64, qint64>>& ranges, const QByteArray& bytes) {
    if (ranges.isEmpty())
        return true;
    qint64 removed = 0;
    for (const auto& range : ranges)
        removed += range.second - range.first;
    if (byteLength() - removed + qint64(ranges.size()) * bytes.size() > largestDocument)
        return false;
    // A marked line keeps its mark only while no piece that holds line
    // breaks starts at it or takes in the line break before it: Scintilla
    // moves the marks of deleted lines, and of a line whose start gets new
    // lines in front.
    QList<qint64> markedStarts;
    for (long line = SendScintilla(SCI_MARKERNEXT, 0L, long(markerMask)); line >= 0;
         line = SendScintilla(SCI_MARKERNEXT, line + 1, long(markerMask)))
        markedStarts.append(SendScintilla(SCI_POSITIONFROMLINE, line));
    const auto takesInMark = [&](qint64 from, qint64 to) {
        return std::any_of(markedStarts.cbegin(), markedStarts.cend(),
                           [&](qint64 start) { return start >= from && start <= to; });
    };
    // One change for the rest of the program and a reader, not one per
    // match: a notice for each of a million matches took seconds.
    emit aboutToChange();
    noteReplacementForReader();
    SendScintilla(SCI_SETMODEVENTMASK, 0L);
    const long firstVisible = SendScintilla(SCI_GETFIRSTVISIBLELINE);
    // Matches close together are replaced as one piece, the bytes between
    // them copied as they are: Scintilla takes a few microseconds for each
    // replacement, whatever its size. In order from the start, the gap
    // moves only as far as the next piece: a whole file costs one pass.
    constexpr qint64 closeTogether = 4096;
    qint64 shift = 0;
    SendScintilla(SCI_BEGINUNDOACTION);
    for (qsizetype first = 0, last = 0; first < ranges.size(); first = ++last) {
        while (last + 1 < ranges.size() &&
               ranges[last + 1].first - ranges[last].second <= closeTogether &&
               !takesInMark(ranges[first].first, ranges[last + 1].second))
            ++last;
        const qint64 start = ranges[first].first + shift;
        const qint64 end = ranges[last].second + shift;
        QByteArray piece = bytes;
        if (last > first) {
            const auto* old = reinterpret_cast<const char*>(SendScintilla(
                SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), long(end - start)));
            piece.clear();
            piece.reserve(end - start + (last - first + 1) * bytes.size());
            for (qsizetype i = first; i <= last; ++i) {
                if (i > first)
                    piece.append(old + ranges[i - 1].second - ranges[first].first,
                                 ranges[i].first - ranges[i - 1].second);
                piece += bytes;
            }
        }
        SendScintilla(SCI_SETTARGETRANGE, long(start), long(end));
        SendScintilla(SCI_REPLACETARGET, piece.size(), piece.constData());
        if (appearance_.strikeout)
            fillStrikeout(start, piece.size());
        shift += piece.size() - (end - start);
    }
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_SETMODEVENTMASK, changeNoticeMask());
    SendScintilla(SCI_GOTOPOS, long(ranges.last().second + shift));
    SendScintilla(SCI_SETFIRSTVISIBLELINE, firstVisible);
    SendScintilla(SCI_SCROLLCARET);
    fitLineNumbers();
    tellReader();
    return true;
}

void Text1::setLineMarks(const QList<LineMark>& marks) {
    SendScintilla(SCI_MARKERDELETEALL, -1);
    SendScintilla(SCI_ANNOTATIONCLEARALL);
    QMap<int, QByteArray> messages;
    for (const LineMark& mark : marks) {
        if (mark.line < 0 || mark.line >= lineCount())
            continue;
        SendScintilla(SCI_MARKERADD, mark.line, long(mark.warning ? warningMarker : errorMarker));
        QByteArray& message = messages[mark.line];
        message += (message.isEmpty() ? "" : "\n") + QByteArray(mark.message).replace('\0', ' ');
    }
    for (auto it = messages.cbegin(); it != messages.cend(); ++it) {
        SendScintilla(SCI_ANNOTATIONSETTEXT, it.key(), it.value().constData());
        SendScintilla(SCI_ANNOTATIONSETSTYLE, it.key(), long(messageStyle));
    }
}

QList<Text1::LineMark> Text1::lineMarks() const {
    QList<LineMark> marks;
    for (long line = SendScintilla(SCI_MARKERNEXT, 0L, long(markerMask)); line >= 0;
         line = SendScintilla(SCI_MARKERNEXT, line + 1, long(markerMask))) {
        const long length =
            SendScintilla(SCI_ANNOTATIONGETTEXT, line, static_cast<const char*>(nullptr));
        QByteArray message(length, '\0');
        SendScintilla(SCI_ANNOTATIONGETTEXT, line, message.data());
        const bool error = SendScintilla(SCI_MARKERGET, line) & (1 << errorMarker);
        marks.append({int(line), !error, message});
    }
    return marks;
}

std::optional<int> Text1::nextMarkedLine(int from, bool forward) const {
    const int message = forward ? SCI_MARKERNEXT : SCI_MARKERPREVIOUS;
    long line = SendScintilla(message, long(forward ? from + 1 : from - 1), long(markerMask));
    // Round the end, as a search goes on from the top.
    if (line < 0)
        line = SendScintilla(message, long(forward ? 0 : lineCount() - 1), long(markerMask));
    if (line < 0)
        return std::nullopt;
    return int(line);
}

QMenu* Text1::createContextMenu() {
    QMenu* menu = createStandardContextMenu();
    if (!contextActions_.isEmpty()) {
        menu->addSeparator();
        menu->addActions(contextActions_);
    }
    return menu;
}

void Text1::contextMenuEvent(QContextMenuEvent* e) {
    const std::unique_ptr<QMenu> menu(createContextMenu());
    menu->exec(e->globalPos());
}

} // namespace tarnwick
