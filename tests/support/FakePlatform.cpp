#include "support/FakePlatform.h"

#include "platform/FileAccess.h"
#include "platform/ScriptFiles.h"

#include <QFileInfo>
#include <QWidget>

namespace tarnwick::test {

namespace {

template <typename T> T take(std::deque<T>& script, const T& unscripted) {
    if (script.empty())
        return unscripted;
    const T answer = script.front();
    script.pop_front();
    return answer;
}

} // namespace

FileChoice FakePlatform::choose(const QString& fullPath) {
    return FileChoice{fullPath, QFileInfo(fullPath).fileName()};
}

QList<PlatformCall> FakePlatform::callsOf(const QString& service) const {
    QList<PlatformCall> result;
    for (const PlatformCall& call : calls)
        if (call.service == service)
            result.append(call);
    return result;
}

bool FakePlatform::failing(const QString& service, const QString& text, QString* error) {
    calls.append({service, text, {}, -1});
    const auto found = fail.constFind(service + QLatin1Char(' ') + text);
    if (found != fail.constEnd() && error)
        *error = found.value();
    return found != fail.constEnd();
}

MsgAnswer FakePlatform::messageBox(const QString& text, MsgStyle style, const QString& title) {
    calls.append({QStringLiteral("messageBox"), text, title, int(style)});
    return take(messageAnswers, style == MsgStyle::YesNoCancel ? MsgAnswer::Cancel
                                : style == MsgStyle::YesNo     ? MsgAnswer::No
                                                               : MsgAnswer::Ok);
}

QString FakePlatform::inputBox(const QString& prompt, const QString& title) {
    calls.append({QStringLiteral("inputBox"), prompt, title, -1});
    if (whileAsking)
        whileAsking();
    return take(inputAnswers, QString());
}

// A dialog's choice enters its folder, as the real dialogs do.
std::optional<FileChoice> FakePlatform::openFileDialog(const FileFilter& filter) {
    calls.append({QStringLiteral("openDialog"), filter.description, filter.pattern, -1});
    const auto choice = take(openAnswers, std::optional<FileChoice>());
    if (choice)
        fileaccess::enterFolderOf(choice->fullPath);
    return choice;
}

std::optional<FileChoice> FakePlatform::saveFileDialog(const FileFilter& filter) {
    calls.append({QStringLiteral("saveDialog"), filter.description, filter.pattern, -1});
    const auto choice = take(saveAnswers, std::optional<FileChoice>());
    if (choice)
        fileaccess::enterFolderOf(choice->fullPath);
    return choice;
}

void FakePlatform::enterFolderOf(const QString& path) {
    calls.append({QStringLiteral("folder"), path, {}, -1});
    fileaccess::enterFolderOf(path);
}

bool FakePlatform::touchFile(const QString& path, QString* error) {
    return !failing(QStringLiteral("touch"), path, error) && scriptfiles::touch(path, error);
}

bool FakePlatform::readFile(const QString& path, const ByteSink& sink, QString* error) {
    if (!failing(QStringLiteral("read"), path, error))
        return fileaccess::readFile(path, sink, error);
    QByteArray whole;
    fileaccess::readFile(
        path, [&whole](const char* d, qint64 n) { return whole.append(d, n), true; }, nullptr);
    sink(whole.constData(), whole.size() / 2);
    return false;
}

bool FakePlatform::writeFile(const QString& path, const char* data, qint64 length, QString* error) {
    return !failing(QStringLiteral("write"), path, error) &&
           fileaccess::writeFile(path, data, length, error);
}

qint64 FakePlatform::fileLength(const QString& path) {
    calls.append({QStringLiteral("length"), path, {}, -1});
    return fileaccess::fileLength(path);
}

std::optional<FileStamp> FakePlatform::fileStamp(const QString& path) {
    calls.append({QStringLiteral("stamp"), path, {}, -1});
    return fileaccess::fileStamp(path);
}

bool FakePlatform::deleteFile(const QString& path, QString* error) {
    return !failing(QStringLiteral("delete"), path, error) && scriptfiles::remove(path, error);
}

bool FakePlatform::startProcess(const QString& commandLine, QString* error) {
    if (failing(QStringLiteral("start"), commandLine, error))
        return false;
    started.append(commandLine);
    return true;
}

bool FakePlatform::writeScript(const QString& path, const QByteArray& bytes, QString* error) {
    return !failing(QStringLiteral("write"), path, error) && scriptfiles::write(path, bytes, error);
}

bool FakePlatform::startScript(const QString& name, const QByteArray& bytes, QString* error) {
    if (failing(QStringLiteral("start"), name, error) ||
        (startsScript && !startsScript(name, bytes, error)))
        return false;
    started.append(name);
    return true;
}

void FakePlatform::showWindow(QWidget* window) {
    calls.append({QStringLiteral("show"), window ? window->objectName() : QString(), {}, -1});
    if (window)
        window->show(), window->raise();
}

void FakePlatform::closeWindow(QWidget* window) {
    calls.append({QStringLiteral("close"), window ? window->objectName() : QString(), {}, -1});
    if (window && window->isVisible())
        window->close();
}

} // namespace tarnwick::test
