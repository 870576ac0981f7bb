#pragma once

#include "platform/PlatformServices.h"
#include "state/EditorState.h"
#include "textarea/DocumentLoad.h"

#include <QMetaObject>

#include <functional>
#include <optional>

namespace tarnwick {

class Text1;

// New, Open, Save and Save As, the unsaved-changes question, and the rule
// that every change of the text leaves the document unsaved.
class DocumentCommands {
public:
    using TitleSetter = std::function<void(const QString&)>;

    DocumentCommands(EditorState& state, PlatformServices& platform, Text1& text,
                     TitleSetter setTitle);
    ~DocumentCommands();
    DocumentCommands(const DocumentCommands&) = delete;
    DocumentCommands& operator=(const DocumentCommands&) = delete;

    void new_();
    void open();
    void saveim();
    void save();

    // Yes, No or Cancel; No without asking when nothing is unsaved.
    MsgAnswer unsavedChangesAnswer();

private:
    // Reads the file into a new document held by load; false with the
    // reason when the file cannot be read or the text area cannot hold it.
    bool loadInto(std::optional<DocumentLoad>& load, const QString& path, QString* error);
    bool writeText(const QString& path);

    EditorState& state_;
    PlatformServices& platform_;
    Text1& text_;
    TitleSetter setTitle_;
    QMetaObject::Connection changeConnection_;
};

} // namespace tarnwick
