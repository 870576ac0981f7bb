#include "document/DocumentCommands.h"

#include "document/DocumentTexts.h"
#include "document/FileNames.h"
#include "textarea/Text1.h"

#include <QWidget>

#include <bit>
#include <cstring>
#include <optional>

namespace tarnwick::document {

using namespace doctexts;

namespace {

// The line feeds in a block, eight bytes at a time (std::count is not
// vectorised at -O2, and this runs over the whole file): the high bit of
// each byte of `feeds` is set exactly where the byte is '\n'.
qint64 lineFeeds(const char* data, qint64 size) {
    constexpr quint64 low7 = 0x7f7f7f7f7f7f7f7fULL;
    constexpr quint64 newlines = 0x0a0a0a0a0a0a0a0aULL;
    qint64 count = 0;
    qint64 i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, sizeof word);
        const quint64 zeroWhereFeed = word ^ newlines;
        const quint64 feeds = ~(((zeroWhereFeed & low7) + low7) | zeroWhereFeed | low7);
        count += std::popcount(feeds);
    }
    for (; i < size; ++i)
        count += data[i] == '\n';
    return count;
}

// Reads the file into a new document held by load; false with the reason
// when the file cannot be read or the text area cannot hold it.
bool loadInto(Parts& p, std::optional<DocumentLoad>& load, const QString& path, QString* error) {
    const qint64 length = p.platform.fileLength(path);
    if (length > Text1::largestDocument) {
        *error = tooLargeReason;
        return false;
    }
    // The size a file claims is not what it reads (files under /proc claim
    // 0, and some never end), so both passes stop at the limit themselves;
    // each sink that stops gives its own reason.
    const auto fits = [error](qint64& total, qint64 size) {
        total += size;
        if (total <= Text1::largestDocument)
            return true;
        *error = tooLargeReason;
        return false;
    };
    // Memory runs out in the text component's own allocations; the document
    // on screen is still whole, so this is a message, not the end.
    // The lines are counted first, so that the text component makes room
    // for its line index once: grown line by line, the index was copied
    // dozens of times and held twice at the peak (for Java source, about a
    // sixth of the file more memory). A second pass over a file the system
    // has just cached costs less than those copies.
    qint64 lines = 1;
    qint64 counted = 0;
    const auto count = [&](const char* data, qint64 size) {
        if (!fits(counted, size))
            return false;
        lines += lineFeeds(data, size);
        return true;
    };
    if (!p.platform.readFile(path, count, error))
        return false;
    try {
        load.emplace(p.text.beginLoad(counted, lines));
        qint64 loaded = 0;
        const auto add = [&](const char* data, qint64 size) {
            if (!fits(loaded, size))
                return false;
            if (load->add(data, size))
                return true;
            *error = notEnoughMemoryReason;
            return false;
        };
        return p.platform.readFile(path, add, error);
    } catch (const std::bad_alloc&) {
        *error = notEnoughMemoryReason;
        return false;
    }
}

bool writeText(Parts& p, const QString& path) {
    QString error;
    if (p.platform.writeFile(path, p.text.rawBytes(), p.text.byteLength(), &error)) {
        p.state.diskStamp = p.platform.fileStamp(path);
        return true;
    }
    p.state.saveCompleted = false;
    p.platform.messageBox(cantSaveText(path, error), MsgStyle::Information, cantSaveTitle);
    return false;
}

void bindTo(Parts& p, const FileChoice& choice) {
    p.state.filePath = choice.fullPath;
    p.state.fileTitle = choice.bareName;
    p.window.setWindowTitle(windowTitleFor(p.state.fileTitle));
}

} // namespace

void markUnsavedOnChange(Text1& text, EditorState& state) {
    QObject::connect(&text, &Text1::aboutToChange, &text, [&state] { state.isSaved = false; });
}

MsgAnswer unsavedChangesAnswer(Parts& p) {
    if (p.state.isSaved)
        return MsgAnswer::No;
    return p.platform.messageBox(unsavedText, MsgStyle::YesNoCancel, unsavedTitle);
}

void new_(Parts& p) {
    const MsgAnswer answer = unsavedChangesAnswer(p);
    if (answer == MsgAnswer::Cancel)
        return;
    if (answer == MsgAnswer::Yes) {
        saveim(p);
        if (!p.state.saveCompleted)
            return;
    }
    p.state.filePath.clear();
    p.state.fileTitle.clear();
    p.state.diskStamp.reset();
    p.window.setWindowTitle(untitledTitle);
    p.text.clearDocument();
    p.state.isSaved = true;
}

namespace {

// The unsaved-changes question before the document is replaced: true when
// the text may go (No, or Yes and the save happened).
bool mayReplace(Parts& p) {
    MsgAnswer answer = unsavedChangesAnswer(p);
    if (answer == MsgAnswer::Yes) {
        saveim(p);
        if (p.state.saveCompleted)
            answer = MsgAnswer::No;
    }
    return answer == MsgAnswer::No;
}

// Another program may have changed the file since the text last matched
// it; writing now would throw that change away unseen. A file deleted
// meanwhile is written again without a question: nothing of it is lost.
bool mayOverwrite(Parts& p) {
    const std::optional<FileStamp> now = p.platform.fileStamp(p.state.filePath);
    if (!now || now == p.state.diskStamp)
        return true;
    return p.platform.messageBox(changedOnDiskText(p.state.filePath), MsgStyle::YesNoDefaultNo,
                                 changedOnDiskTitle) == MsgAnswer::Yes;
}

} // namespace

void open(Parts& p) {
    if (!mayReplace(p))
        return;
    const std::optional<FileChoice> choice = p.platform.openFileDialog(javaFilter);
    if (!choice)
        return;
    openChosen(p, *choice);
}

void openDropped(Parts& p, const QString& path) {
    if (!mayReplace(p))
        return;
    // Where the open dialog would have left it after this choice.
    const FileChoice choice = choiceOf(path);
    p.platform.enterFolderOf(choice.fullPath);
    openChosen(p, choice);
}

void openChosen(Parts& p, const FileChoice& choice) {
    if (!nameIsExact(choice, p.platform.codePage())) {
        p.platform.messageBox(cantOpenText(choice.fullPath, inexactNameReason),
                              MsgStyle::Information, cantOpenTitle);
        return;
    }
    // The whole file is read before anything else changes; a failed read
    // puts the previous text back as it was, and title and path stay.
    std::optional<DocumentLoad> load;
    QString error;
    // Taken before the read: a change while it runs then counts as a change.
    std::optional<FileStamp> stamp = p.platform.fileStamp(choice.fullPath);
    if (!loadInto(p, load, choice.fullPath, &error)) {
        load.reset();
        p.platform.messageBox(cantOpenText(choice.fullPath, error), MsgStyle::Information,
                              cantOpenTitle);
        return;
    }

    bindTo(p, choice);
    p.state.diskStamp = stamp;
    p.text.commitLoad(std::move(*load));
    p.state.isSaved = true;
    p.state.indentLevel = 0;
    p.state.lastKeyCode = 0;
}

void saveim(Parts& p) {
    p.state.saveCompleted = true;
    if (p.state.filePath.isEmpty())
        save(p);
    if (p.state.filePath.isEmpty())
        return;
    if (!mayOverwrite(p)) {
        p.state.saveCompleted = false;
        return;
    }
    // After a Save As this writes the same text a second time; harmless, and
    // it keeps Save's outcome the outcome of its own write.
    if (writeText(p, p.state.filePath))
        p.state.isSaved = true;
}

void save(Parts& p) {
    p.state.saveCompleted = false;
    std::optional<FileChoice> choice;
    for (;;) {
        choice = p.platform.saveFileDialog(javaFilter);
        if (!choice)
            return;
        // Decided before anything looks at the file, so the overwrite
        // question and the title are about the file actually written.
        choice = withJavaSuffix(*choice);
        if (!nameIsExact(*choice, p.platform.codePage())) {
            p.platform.messageBox(cantSaveText(choice->fullPath, inexactNameReason),
                                  MsgStyle::Information, cantSaveTitle);
            return;
        }
        // An empty or absent file is replaced without asking.
        if (p.platform.fileLength(choice->fullPath) <= 0)
            break;
        if (p.platform.messageBox(overwriteText, MsgStyle::YesNo, overwriteTitle) == MsgAnswer::Yes)
            break;
    }
    if (!writeText(p, choice->fullPath))
        return;
    bindTo(p, *choice);
    p.state.isSaved = true;
    p.state.saveCompleted = true;
}

} // namespace tarnwick::document
