#pragma once

#include "files/FileAccess.h"
#include "files/ScriptFiles.h"
#include "platform/PlatformServices.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <utility>

namespace tarnwick::test {

// One call to the platform, as a test asserts it.
struct PlatformCall {
    QString service; // "messageBox", "inputBox", "openDialog", "saveDialog", "touch", "write",
                     // "delete", "start", "show", "close"
    QString text;    // message text, prompt, path or command line
    QString title = {};
    int style = -1;
    bool operator==(const PlatformCall&) const = default;
};

// Platform services for tests: dialogs answer from a script (an unscripted
// one is cancelled), the calls that decide something are recorded, and
// files live on the real file system, with failures injectable per call.
class FakePlatform final : public PlatformServices {
public:
    explicit FakePlatform(CodePage codePage = CodePage::SingleByte) : codePage_(codePage) {}

    std::deque<MsgAnswer> messageAnswers;
    std::deque<QString> inputAnswers;
    std::deque<std::optional<FileChoice>> openAnswers, saveAnswers;
    // What another process does while the input box asks.
    std::function<void()> whileAsking;
    // What starting a script does; by default nothing starts.
    std::function<bool(const QString& name, const QByteArray& bytes, QString* error)> startsScript;
    // Where the script runner is told to keep the compiler's messages.
    QString messagesFile;
    // "service text" (as "write /tmp/x/A.java" or "start temr.bat") to the
    // reason it fails with. A failing read delivers the first half first;
    // "late start X" starts X, which fails with the reason at endLate().
    QHash<QString, QString> fail;
    QList<PlatformCall> calls;
    QStringList started; // the command lines and scripts that started

    static FileChoice choose(const QString& path) { return {path, QFileInfo(path).fileName()}; }
    QList<PlatformCall> callsOf(const QString& service) const {
        QList<PlatformCall> found;
        for (const PlatformCall& call : calls)
            if (call.service == service)
                found << call;
        return found;
    }
    void clearCalls() { calls.clear(), started.clear(); }
    // What the event loop would hear of the consoles that fail late.
    void endLate() {
        for (const auto& [failedLate, reason] : std::exchange(late_, {}))
            if (failedLate)
                failedLate(reason);
    }

    CodePage codePage() const override { return codePage_; }
    MsgAnswer messageBox(const QString& text, MsgStyle style, const QString& title) override {
        calls.append({"messageBox", text, title, int(style)});
        return take(messageAnswers, style == MsgStyle::YesNoCancel ? MsgAnswer::Cancel
                                    : style == MsgStyle::YesNo     ? MsgAnswer::No
                                                                   : MsgAnswer::Ok);
    }
    QString inputBox(const QString& prompt, const QString& title) override {
        calls.append({"inputBox", prompt, title});
        if (whileAsking)
            whileAsking();
        return take(inputAnswers, QString());
    }
    std::optional<FileChoice> openFileDialog(const FileFilter& f) override {
        return dialog("openDialog", f, openAnswers);
    }
    std::optional<FileChoice> saveFileDialog(const FileFilter& f) override {
        return dialog("saveDialog", f, saveAnswers);
    }
    void enterFolderOf(const QString& path) override { fileaccess::enterFolderOf(path); }
    bool touchFile(const QString& path, QString* error) override {
        return !failing("touch", path, error) && scriptfiles::touch(path, error);
    }
    bool readFile(const QString& path, const ByteSink& sink, QString* error) override {
        if (!failing("read", path, error))
            return fileaccess::readFile(path, sink, error);
        QFile file(path);
        const QByteArray whole = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        sink(whole.constData(), whole.size() / 2);
        return false;
    }
    bool writeFile(const QString& path, const char* data, qint64 length, QString* error) override {
        return !failing("write", path, error) && fileaccess::writeFile(path, data, length, error);
    }
    qint64 fileLength(const QString& path) override { return fileaccess::fileLength(path); }
    std::optional<FileStamp> fileStamp(const QString& path) override {
        return fileaccess::fileStamp(path);
    }
    bool deleteFile(const QString& path, QString* error) override {
        return !failing("delete", path, error) && scriptfiles::remove(path, error);
    }
    bool startProcess(const QString& commandLine, QString* error,
                      const FailedLate& failedLate) override {
        return !failing("start", commandLine, error) && starts(commandLine, failedLate);
    }
    bool writeScript(const QString& path, const QByteArray& bytes, QString* error) override {
        return !failing("write", path, error) && scriptfiles::write(path, bytes, error);
    }
    bool startScript(const QString& name, const QByteArray& bytes, QString* error,
                     const FailedLate& failedLate) override {
        return !failing("start", name, error) &&
               (!startsScript || startsScript(name, bytes, error)) && starts(name, failedLate);
    }
    QString compilerMessagesFile() override { return messagesFile; }
    void showWindow(QWidget* window) override {
        calls.append({"show", window->objectName()}), window->show(), window->raise();
    }
    void closeWindow(QWidget* window) override {
        calls.append({"close", window->objectName()});
        if (window->isVisible())
            window->close();
    }

private:
    template <typename T> static T take(std::deque<T>& script, const T& unscripted) {
        if (script.empty())
            return unscripted;
        const T answer = script.front();
        return script.pop_front(), answer;
    }
    // A dialog's choice enters its folder, as the real dialogs do.
    std::optional<FileChoice> dialog(const char* service, const FileFilter& filter,
                                     std::deque<std::optional<FileChoice>>& answers) {
        calls.append({service, filter.description, filter.pattern});
        const auto choice = take(answers, std::optional<FileChoice>());
        if (choice)
            fileaccess::enterFolderOf(choice->fullPath);
        return choice;
    }
    bool starts(const QString& what, const FailedLate& failedLate) {
        if (const QString reason = fail.value("late start " + what); !reason.isEmpty())
            late_.append({failedLate, reason});
        else
            started << what;
        return true;
    }
    // Records the call; true when it is to fail, with the reason in `error`.
    bool failing(const char* service, const QString& text, QString* error) {
        calls.append({service, text});
        const QString call = service + (' ' + text);
        if (error && fail.contains(call))
            *error = fail[call];
        return fail.contains(call);
    }

    CodePage codePage_;
    QList<std::pair<FailedLate, QString>> late_;
};

} // namespace tarnwick::test
