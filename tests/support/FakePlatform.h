#pragma once

#include "platform/PlatformServices.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

namespace tarnwick::test {

// One call to the platform, as a test asserts it.
struct PlatformCall {
    QString service; // "messageBox", "inputBox", "openDialog", "saveDialog", "folder", "touch",
                     // "read", "write", "length", "stamp", "delete", "start", "show", "close"
    QString text;    // message text, prompt, path or command line
    QString title;
    int style = -1;
    bool operator==(const PlatformCall&) const = default;
};

// Platform services for tests: dialogs answer from a script, every call is
// recorded, and files live on the real file system (a temporary folder),
// with failures injectable per call.
class FakePlatform final : public PlatformServices {
public:
    // The single-byte code page unless a test asks for UTF-8.
    explicit FakePlatform(CodePage codePage = CodePage::SingleByte) : codePage_(codePage) {}

    // Scripts, consumed front to back. An unscripted dialog is answered as
    // a cancellation.
    std::deque<MsgAnswer> messageAnswers;
    std::deque<QString> inputAnswers;
    std::deque<std::optional<FileChoice>> openAnswers;
    std::deque<std::optional<FileChoice>> saveAnswers;
    // Runs while the input box asks, before it answers: what another
    // process does in that time.
    std::function<void()> whileAsking;

    // Failure injection: a call, as "service text" (for example
    // "write /tmp/x/A.java" or "start temr.bat"), to the reason it fails
    // with. A failing read delivers the first half of the file first.
    QHash<QString, QString> fail;

    QList<PlatformCall> calls;
    QStringList started; // the command lines that started

    // The answer a file dialog gives for a full path.
    static FileChoice choose(const QString& fullPath);

    // Only the calls of one service, in order.
    QList<PlatformCall> callsOf(const QString& service) const;
    void clearCalls() {
        calls.clear();
        started.clear();
    }

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
    bool startProcess(const QString& commandLine, QString* error) override;
    bool writeScript(const QString& path, const QByteArray& bytes, QString* error) override;
    // Records the start as "start <name>"; runs `startsScript` when a test
    // gives one, else starts nothing.
    bool startScript(const QString& name, const QByteArray& bytes, QString* error) override;
    std::function<bool(const QString& name, const QByteArray& bytes, QString* error)> startsScript;
    // Where the compiler's messages are read from; none unless a test sets it.
    QString messagesFile;
    QString compilerMessagesFile() override { return messagesFile; }
    void showWindow(QWidget* window) override;
    void closeWindow(QWidget* window) override;

private:
    // Records the call; true when it is to fail, with the reason in `error`.
    bool failing(const QString& service, const QString& text, QString* error);

    CodePage codePage_;
};

} // namespace tarnwick::test
