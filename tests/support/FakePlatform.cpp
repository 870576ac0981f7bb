#include "support/FakePlatform.h"

#include "platform/FileAccess.h"

#include <QFileInfo>
#include <QWidget>

namespace tarnwick::test {

namespace {
bool injected(const QHash<QString, QString>& failures, const QString& key, QString* error) {
    const auto found = failures.constFind(key);
    if (found == failures.constEnd())
        return false;
    if (error)
        *error = found.value();
    return true;
}
} // namespace

FileChoice FakePlatform::choose(const QString& fullPath) {
    return FileChoice{fullPath, QFileInfo(fullPath).fileName()};
}

QList<PlatformCall> FakePlatform::callsOf(const QString& service) const {
    QList<PlatformCall> result;
    for (const PlatformCall& call : calls) {
        if (call.service == service)
            result.append(call);
    }
    return result;
}

MsgAnswer FakePlatform::messageBox(const QString& text, MsgStyle style, const QString& title) {
    calls.append({QStringLiteral("messageBox"), text, title, int(style)});
    if (messageAnswers.empty()) {
        unscripted.append(QStringLiteral("messageBox: ") + title);
        return style == MsgStyle::YesNoCancel ? MsgAnswer::Cancel
               : style == MsgStyle::YesNo     ? MsgAnswer::No
                                              : MsgAnswer::Ok;
    }
    const MsgAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

QString FakePlatform::inputBox(const QString& prompt, const QString& title) {
    calls.append({QStringLiteral("inputBox"), prompt, title, -1});
    if (inputAnswers.empty()) {
        unscripted.append(QStringLiteral("inputBox: ") + title);
        return {};
    }
    const QString answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

static std::optional<FileChoice> takeChoice(std::deque<std::optional<FileChoice>>& script,
                                            QStringList& unscripted, const QString& name) {
    if (script.empty()) {
        unscripted.append(name);
        return std::nullopt;
    }
    std::optional<FileChoice> choice = script.front();
    script.pop_front();
    if (choice)
        fileaccess::enterFolderOf(choice->fullPath);
    return choice;
}

std::optional<FileChoice> FakePlatform::openFileDialog(const FileFilter& filter) {
    lastFilter = filter;
    calls.append({QStringLiteral("openDialog"), filter.description, filter.pattern, -1});
    return takeChoice(openAnswers, unscripted, QStringLiteral("openDialog"));
}

std::optional<FileChoice> FakePlatform::saveFileDialog(const FileFilter& filter) {
    lastFilter = filter;
    calls.append({QStringLiteral("saveDialog"), filter.description, filter.pattern, -1});
    return takeChoice(saveAnswers, unscripted, QStringLiteral("saveDialog"));
}

void FakePlatform::enterFolderOf(const QString& path) {
    calls.append({QStringLiteral("folder"), path, {}, -1});
    fileaccess::enterFolderOf(path);
}

bool FakePlatform::touchFile(const QString& path, QString* error) {
    calls.append({QStringLiteral("touch"), path, {}, -1});
    if (injected(failTouch, path, error))
        return false;
    return fileaccess::touchFile(path, error);
}

bool FakePlatform::readFile(const QString& path, const ByteSink& sink, QString* error) {
    calls.append({QStringLiteral("read"), path, {}, -1});
    if (injected(failRead, path, error))
        return false;
    if (failReadHalfway.contains(path)) {
        QByteArray whole;
        fileaccess::readFile(
            path, [&whole](const char* d, qint64 n) { return whole.append(d, n), true; }, error);
        sink(whole.constData(), whole.size() / 2);
        return !injected(failReadHalfway, path, error);
    }
    return fileaccess::readFile(path, sink, error);
}

bool FakePlatform::writeFile(const QString& path, const char* data, qint64 length, QString* error) {
    calls.append({QStringLiteral("write"), path, {}, -1});
    if (injected(failWrite, path, error))
        return false;
    return fileaccess::writeFile(path, data, length, error);
}

qint64 FakePlatform::fileLength(const QString& path) {
    calls.append({QStringLiteral("length"), path, {}, -1});
    return fileaccess::fileLength(path);
}

bool FakePlatform::deleteFile(const QString& path, QString* error) {
    calls.append({QStringLiteral("delete"), path, {}, -1});
    if (injected(failDelete, path, error))
        return false;
    return fileaccess::deleteFile(path, error);
}

bool FakePlatform::startProcess(const QString& commandLine, QString* error) {
    calls.append({QStringLiteral("start"), commandLine, {}, -1});
    if (!failStart.isEmpty()) {
        if (error)
            *error = failStart;
        return false;
    }
    started.append(commandLine);
    return true;
}

void FakePlatform::showWindow(QWidget* window) {
    calls.append({QStringLiteral("show"), window ? window->objectName() : QString(), {}, -1});
    if (window) {
        window->show();
        window->raise();
    }
}

void FakePlatform::closeWindow(QWidget* window) {
    calls.append({QStringLiteral("close"), window ? window->objectName() : QString(), {}, -1});
    if (window && window->isVisible())
        window->close();
}

} // namespace tarnwick::test
