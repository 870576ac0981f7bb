#include "navigation/NavigationCommands.h"

#include "navigation/CompilerMessages.h"
#include "navigation/LineAnswer.h"
#include "navigation/NavigationTexts.h"
#include "platform/PlatformServices.h"
#include "state/EditorState.h"
#include "textarea/Text1.h"

namespace tarnwick::navigation {

namespace {

std::string_view textOf(const Text1& text) {
    return {text.rawBytes(), size_t(text.byteLength())};
}

std::optional<Needle> needleFor(const Text1& text, const SearchRequest& request) {
    return Needle::make(request.text, text.codePage(), request.options);
}

} // namespace

void goToLine(Text1& text, PlatformServices& platform) {
    const QString answer =
        platform.inputBox(navtexts::goToLinePrompt(text.lineCount()), navtexts::goToLineTitle);
    if (const std::optional<int> line = lineFromAnswer(answer, text.lineCount()))
        text.goToLine(*line - 1);
}

bool findNext(Text1& text, const SearchRequest& request, bool forward) {
    const std::optional<Needle> needle = needleFor(text, request);
    if (!needle)
        return false;
    const std::string_view bytes = textOf(text);
    const long start = qMin(text.anchorPosition(), text.caretPosition());
    const long end = qMax(text.anchorPosition(), text.caretPosition());
    std::optional<Match> found =
        forward ? needle->findForward(bytes, end) : needle->findBackward(bytes, start);
    // Round the end, through what the first search did not cover.
    if (!found)
        found = forward ? needle->findForward(bytes, 0, end)
                        : needle->findBackward(bytes, qint64(bytes.size()), start);
    if (!found)
        return false;
    text.setSelectionRange(long(found->start), long(found->end));
    return true;
}

bool replaceOne(Text1& text, const SearchRequest& request, CodePage codePage) {
    const std::optional<Needle> needle = needleFor(text, request);
    if (!needle || firstUnencodable(request.replacement, codePage))
        return false;
    const long start = qMin(text.anchorPosition(), text.caretPosition());
    const long end = qMax(text.anchorPosition(), text.caretPosition());
    const std::optional<Match> selected = needle->matchAt(textOf(text), start);
    const bool replacing = selected && selected->end == end;
    if (replacing)
        text.replaceSelectedBytes(encodeText(request.replacement, codePage));
    findNext(text, request, true);
    return replacing;
}

int replaceAll(Text1& text, const SearchRequest& request, CodePage codePage) {
    if (firstUnencodable(request.replacement, codePage))
        return -1;
    const std::optional<Needle> needle = needleFor(text, request);
    if (!needle)
        return 0;
    const QList<Match> matches = needle->findAll(textOf(text));
    QList<QPair<qint64, qint64>> ranges;
    ranges.reserve(matches.size());
    for (const Match& match : matches)
        ranges.append({match.start, match.end});
    if (!text.replaceRanges(ranges, encodeText(request.replacement, codePage)))
        return 0;
    return int(matches.size());
}

void nextMarkedLine(Text1& text, bool forward) {
    if (const std::optional<int> line = text.nextMarkedLine(text.caretLine(), forward))
        text.goToLine(*line);
}

void followCompile(CompileWatch& watch, const EditorState& state, Text1& text,
                   PlatformServices& platform) {
    const QString path = platform.compilerMessagesFile();
    if (path.isEmpty())
        return;
    const std::optional<FileStamp> stamp = platform.fileStamp(path);
    if (!stamp || stamp == watch.seen)
        return;
    watch.seen = stamp;
    QByteArray record;
    const bool read = platform.readFile(
        path,
        [&record](const char* data, qint64 length) {
            record.append(data, length);
            return true;
        },
        nullptr);
    if (!read)
        return;
    QList<Text1::LineMark> marks;
    for (const CompilerMessage& message : compilerMessages(record, state.filePath))
        marks.append({message.line - 1, message.warning, message.text});
    text.setLineMarks(marks);
}

} // namespace tarnwick::navigation
