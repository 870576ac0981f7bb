#include "platform/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarnwick::fileaccess {

namespace {
void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}
} // namespace

bool readFile(const QString& path, const ByteSink& sink, QString* error) {
    const QFileInfo info(path);
    if (!info.exists()) {
        setError(error, QStringLiteral("No such file"));
        return false;
    }
    if (!info.isFile()) {
        setError(error, QStringLiteral("Not a regular file"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return false;
    }
    // Pieces of 1 MiB keep a 50 MB file to fifty reads without holding a
    // second copy of it in memory, and the buffer stays cheap to fault in.
    constexpr qint64 chunkSize = 1024 * 1024;
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(buffer.data(), chunkSize);
        if (got < 0) {
            setError(error, file.errorString());
            return false;
        }
        if (got == 0)
            break;
        if (!sink(buffer.constData(), got)) {
            setError(error, QStringLiteral("Not enough memory"));
            return false;
        }
    }
    return true;
}

qint64 fileLength(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return -1;
    return info.size();
}

bool deleteFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.exists()) {
        setError(error, QStringLiteral("No such file"));
        return false;
    }
    if (!file.remove()) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

void enterFolderOf(const QString& path) {
    QDir::setCurrent(QFileInfo(path).absolutePath());
}

} // namespace tarnwick::fileaccess
