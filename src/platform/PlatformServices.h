#pragma once

#include "files/ByteSink.h"
#include "files/FileStamp.h"
#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class QWidget;

namespace tarnwick {

// Numeric values are those the editor's message boxes have always used,
// so tests and callers can speak of "style 3" and "answer 6".
// 260 is YesNo with the second button, No, as the default.
enum class MsgStyle {
    OkOnly = 0,
    YesNoCancel = 3,
    YesNo = 4,
    YesNoDefaultNo = 260,
    Information = 64
};
enum class MsgAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct FileFilter {
    QString description; // "Java Files (*.java)"
    QString pattern;     // "*.java"
    bool operator==(const FileFilter&) const = default;
};

struct FileChoice {
    QString fullPath;
    QString bareName;
    bool operator==(const FileChoice&) const = default;
};

// Everything the editor's logic needs from the desktop and the operating
// system. The logic never calls Qt dialogs or the file system directly, so a
// test can answer every question and see every call.
class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // The locale's code page, in which the text is shown and typed and
    // scripts are written.
    virtual CodePage codePage() const = 0;

    // Modal. A CR in the text starts a new line on screen.
    virtual MsgAnswer messageBox(const QString& text, MsgStyle style, const QString& title) = 0;
    // Modal, one line, empty default; the empty string when cancelled.
    virtual QString inputBox(const QString& prompt, const QString& title) = 0;

    // Both leave the working folder at the chosen file's folder. The save
    // dialog asks nothing about overwriting.
    virtual std::optional<FileChoice> openFileDialog(const FileFilter& filter) = 0;
    virtual std::optional<FileChoice> saveFileDialog(const FileFilter& filter) = 0;
    // The working folder becomes the file's folder, as after a dialog's choice.
    virtual void enterFolderOf(const QString& path) = 0;

    // Opens the file for byte access and closes it at once, creating it
    // empty when absent.
    virtual bool touchFile(const QString& path, QString* error) = 0;
    // Reads a whole regular file in order. Fails for an absent file.
    virtual bool readFile(const QString& path, const ByteSink& sink, QString* error) = 0;
    // Replaces the file's content with exactly these bytes. The old content
    // stays untouched unless every byte was written, except in a folder that
    // forbids new files, where the file is rewritten in place.
    virtual bool writeFile(const QString& path, const char* data, qint64 length,
                           QString* error) = 0;
    // -1 when the file is absent or cannot be examined.
    virtual qint64 fileLength(const QString& path) = 0;
    // The file a path leads to, through links; none when there is none.
    virtual std::optional<FileStamp> fileStamp(const QString& path) = 0;
    // Fails when the file is absent.
    virtual bool deleteFile(const QString& path, QString* error) = 0;

    // Hears, from the event loop, why a console that started ended within
    // a few seconds with a failure (a terminal that could not open its
    // window); never once the editor's window has gone.
    using FailedLate = std::function<void(const QString& reason)>;

    // Starts a command line in a new, visible console window and returns at
    // once; nobody waits for it.
    virtual bool startProcess(const QString& commandLine, QString* error,
                              const FailedLate& failedLate) = 0;

    // Launch scripts. touchFile and deleteFile above serve them alone: they
    // never open a name through a link or anything but a regular file, and
    // never block. A script is written as a new regular file under its own
    // name, replacing whatever had the name.
    virtual bool writeScript(const QString& path, const QByteArray& bytes, QString* error) = 0;
    // Runs these bytes as the script `name` in a new console and returns at
    // once. The console gets a private copy, so what a later command writes
    // under the same name never reaches it.
    virtual bool startScript(const QString& name, const QByteArray& bytes, QString* error,
                             const FailedLate& failedLate) = 0;

    // Where the script runner keeps the error output of the last compiler
    // line a console of this editor ran (a private file of the user's);
    // empty when there is no private folder for it.
    virtual QString compilerMessagesFile() = 0;

    // Modeless; a visible window is brought forward.
    virtual void showWindow(QWidget* window) = 0;
    // Runs the window's close handling; a window that is not open is left alone.
    virtual void closeWindow(QWidget* window) = 0;
};

} // namespace tarnwick
