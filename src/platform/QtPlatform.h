#pragma once

#include "console/DetachedStart.h"
#include "desktop/UserTime.h"
#include "platform/PlatformServices.h"

namespace tarnwick {

struct ConsoleSetup;

// The platform services on a real desktop: Qt's dialogs, the real file
// system and a terminal window for every started process.
class QtPlatform final : public PlatformServices {
public:
    explicit QtPlatform(CodePage codePage, QWidget* dialogParent = nullptr)
        : codePage_(codePage), dialogParent_(dialogParent) {}
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

    CodePage codePage() const override { return codePage_; }
    MsgAnswer messageBox(const QString& text, MsgStyle style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title) override;
    std::optional<FileChoice> openFileDialog(const FileFilter& filter) override;
    std::optional<FileChoice> saveFileDialog(const FileFilter& filter) override;
    void enterFolderOf(const QString& path) override;
    bool touchFile(const QString& path, QString* error) override;
    bool readFile(const QString& path, const ByteSink& sink, QString* error) override;
    bool writeFile(const QString& path, const char* data, qint64 length, QString* error) override;
    qint64 fileLength(const QString& path) override;
    std::optional<FileStamp> fileStamp(const QString& path) override;
    bool deleteFile(const QString& path, QString* error) override;
    bool startProcess(const QString& commandLine, QString* error,
                      const FailedLate& failedLate) override;
    bool writeScript(const QString& path, const QByteArray& bytes, QString* error) override;
    bool startScript(const QString& name, const QByteArray& bytes, QString* error,
                     const FailedLate& failedLate) override;
    QString compilerMessagesFile() override;
    void showWindow(QWidget* window) override;
    void closeWindow(QWidget* window) override;

private:
    // The window a dialog belongs to.
    QWidget* owner() const;
    // A console's setup with the user's latest action in it.
    ConsoleSetup consoleSetup() const;
    // Where a console's late failure goes: to failedLate while the window
    // the dialogs belong to is open.
    LateFailure lateFailure(const FailedLate& failedLate);

    CodePage codePage_;
    QWidget* dialogParent_;
    UserTime userTime_;
    // The consoles still watched; a watch that outlives the platform would
    // speak to a window that has gone.
    QObject watches_;
};

} // namespace tarnwick
