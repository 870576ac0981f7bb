#include "files/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/stat.h>

namespace tarnwick::fileaccess {

namespace {
void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}
} // namespace

bool readFile(const QString& path, const ByteSink& sink, QString* error) {
    // Opened before it is looked at, and without waiting: a FIFO or a device
    // would hold the window (a terminal would even become this process's
    // own), and a look at the name could see another file than the one
    // opened.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, errno == ENOENT ? QStringLiteral("No such file") : qt_error_string(errno));
        return false;
    }
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        setError(error, qt_error_string(errno));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        setError(error, QStringLiteral("Not a regular file"));
        return false;
    }
    // Pieces of 1 MiB keep a 50 MB file to fifty reads without holding a
    // second copy of it in memory, and the buffer stays cheap to fault in.
    // The size the file claims decides nothing: files under /proc claim 0
    // and some read without end, so the sink decides when enough is enough.
    constexpr qint64 chunkSize = 1024 * 1024;
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), size_t(chunkSize));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            setError(error, qt_error_string(errno));
            return false;
        }
        if (got == 0)
            return true;
        if (!sink(buffer.constData(), got))
            return false;
    }
}

qint64 fileLength(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return -1;
    return info.size();
}

std::optional<FileStamp> fileStamp(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileStamp{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                     qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
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
