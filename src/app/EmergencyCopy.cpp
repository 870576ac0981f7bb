#include "app/EmergencyCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tarnwick {

namespace {

const QString suffix = QStringLiteral(".unsaved-changes");
const QString untitledName = QStringLiteral("Untitled.java");
// Far more than anyone leaves behind; past it the folder counts as refusing.
constexpr int mostNumbers = 1000;

bool writeAll(int fd, const char* data, qint64 length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, size_t(qMin<qint64>(length, 1 << 30)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

// The copy in one folder; empty, with errno set, when the folder refuses.
QString writeIn(const QString& folder, const QString& name, const char* data, qint64 length) {
    for (int number = 1; number <= mostNumbers; ++number) {
        const QString path = QDir(folder).filePath(
            number == 1 ? name + suffix
                        : name + QLatin1Char('.') + QString::number(number) + suffix);
        const QByteArray encoded = QFile::encodeName(path);
        // O_EXCL: a file of that name, or a link planted there, stays as it is.
        const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return {};
        }
        const bool written = writeAll(fd, data, length) && ::fsync(fd) == 0;
        const int writeErrno = errno;
        if (::close(fd) != 0 || !written) {
            ::unlink(encoded.constData());
            errno = written ? errno : writeErrno;
            return {};
        }
        return path;
    }
    errno = EEXIST;
    return {};
}

} // namespace

QString writeEmergencyCopy(const char* data, qint64 length, const QString& documentPath,
                           const QString& homeFolder, QString* error) {
    const bool untitled = documentPath.isEmpty();
    const QString name = untitled ? untitledName : QFileInfo(documentPath).fileName();
    if (!untitled) {
        const QString path = writeIn(QFileInfo(documentPath).path(), name, data, length);
        if (!path.isEmpty())
            return path;
    }
    const QString path = writeIn(homeFolder, name, data, length);
    if (path.isEmpty() && error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return path;
}

} // namespace tarnwick
