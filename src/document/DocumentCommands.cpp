#include "document/DocumentCommands.h"

#include "document/DocumentTexts.h"
#include "textarea/Text1.h"

namespace tarnwick {

using namespace doctexts;

DocumentCommands::DocumentCommands(EditorState& state, PlatformServices& platform, Text1& text,
                                   TitleSetter setTitle)
    : state_(state), platform_(platform), text_(text), setTitle_(std::move(setTitle)) {
    // Every change, typed or made by the program, leaves the text unsaved.
    changeConnection_ =
        QObject::connect(&text_, &Text1::aboutToChange, [this] { state_.isSaved = false; });
}

DocumentCommands::~DocumentCommands() {
    QObject::disconnect(changeConnection_);
}

MsgAnswer DocumentCommands::unsavedChangesAnswer() {
    if (state_.isSaved)
        return MsgAnswer::No;
    return platform_.messageBox(unsavedText, MsgStyle::YesNoCancel, unsavedTitle);
}

void DocumentCommands::new_() {
    const MsgAnswer answer = unsavedChangesAnswer();
    if (answer == MsgAnswer::Cancel)
        return;
    if (answer == MsgAnswer::Yes) {
        saveim();
        if (!state_.saveCompleted)
            return;
    }
    state_.filePath.clear();
    state_.fileTitle.clear();
    setTitle_(untitledTitle);
    text_.clearDocument();
    state_.isSaved = true;
}

void DocumentCommands::open() {
    MsgAnswer answer = unsavedChangesAnswer();
    if (answer == MsgAnswer::Yes) {
        saveim();
        if (state_.saveCompleted)
            answer = MsgAnswer::No;
    }
    if (answer != MsgAnswer::No)
        return;

    const std::optional<FileChoice> choice = platform_.openFileDialog(javaFilter);
    if (!choice)
        return;

    // The whole file is read before anything else changes; a failed read
    // puts the previous text back as it was, and title and path stay.
    std::optional<DocumentLoad> load;
    QString error;
    if (!loadInto(load, choice->fullPath, &error)) {
        load.reset();
        platform_.messageBox(cantOpenText(choice->fullPath, error), MsgStyle::Information,
                             cantOpenTitle);
        return;
    }

    state_.filePath = choice->fullPath;
    state_.fileTitle = choice->bareName;
    setTitle_(windowTitleFor(state_.fileTitle));
    text_.commitLoad(std::move(*load));
    state_.isSaved = true;
    state_.indentLevel = 0;
    state_.lastKeyCode = 0;
}

bool DocumentCommands::loadInto(std::optional<DocumentLoad>& load, const QString& path,
                                QString* error) {
    const qint64 length = platform_.fileLength(path);
    if (length > Text1::largestDocument) {
        *error = tooLargeReason;
        return false;
    }
    // Memory runs out in the text component's own allocations; the document
    // on screen is still whole, so this is a message, not the end.
    try {
        load.emplace(text_.beginLoad(length));
        return platform_.readFile(
            path, [&load](const char* data, qint64 size) { return load->add(data, size); }, error);
    } catch (const std::bad_alloc&) {
        *error = notEnoughMemoryReason;
        return false;
    }
}

void DocumentCommands::saveim() {
    state_.saveCompleted = true;
    if (state_.filePath.isEmpty())
        save();
    // After a Save As this writes the same text a second time; harmless, and
    // it keeps Save's outcome the outcome of its own write.
    if (!state_.filePath.isEmpty() && writeText(state_.filePath))
        state_.isSaved = true;
}

void DocumentCommands::save() {
    state_.saveCompleted = false;
    std::optional<FileChoice> choice;
    for (;;) {
        choice = platform_.saveFileDialog(javaFilter);
        if (!choice)
            return;
        // An empty or absent file is replaced without asking.
        if (platform_.fileLength(choice->fullPath) <= 0)
            break;
        if (platform_.messageBox(overwriteText, MsgStyle::YesNo, overwriteTitle) == MsgAnswer::Yes)
            break;
    }
    if (!writeText(choice->fullPath))
        return;
    state_.filePath = choice->fullPath;
    state_.fileTitle = choice->bareName;
    setTitle_(windowTitleFor(state_.fileTitle));
    state_.isSaved = true;
    state_.saveCompleted = true;
}

bool DocumentCommands::writeText(const QString& path) {
    QString error;
    if (platform_.writeFile(path, text_.rawBytes(), text_.byteLength(), &error))
        return true;
    state_.saveCompleted = false;
    platform_.messageBox(cantSaveText(path, error), MsgStyle::Information, cantSaveTitle);
    return false;
}

} // namespace tarnwick
