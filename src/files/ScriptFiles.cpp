#include "files/ScriptFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::scriptfiles {

namespace {

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

QString systemReason() {
    return qt_error_string(errno);
}

QString notRegular(mode_t mode) {
    const char* kind = S_ISLNK(mode)                    ? "a symbolic link"
                       : S_ISFIFO(mode)                 ? "a named pipe"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                 ? "a socket"
                       : S_ISDIR(mode)                  ? "a folder"
                                                        : "something else";
    return QStringLiteral("It is %1, not a regular file").arg(QLatin1String(kind));
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0)
            return false;
        done += wrote;
    }
    return true;
}

// The user's own folder that nobody else can enter or list; lstat, so a
// link to someone else's folder does not pass.
bool isPrivateFolder(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

std::optional<QByteArray> privateFolder(const QProcessEnvironment& environment, QString* error) {
    const QString runtime = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(QFile::encodeName(runtime)))
        return QFile::encodeName(runtime);
    QString temporary = environment.value(QStringLiteral("TMPDIR"));
    if (!QDir::isAbsolutePath(temporary))
        temporary = QStringLiteral("/tmp");
    const QByteArray folder =
        QFile::encodeName(temporary + QStringLiteral("/tarnwick-%1").arg(::geteuid()));
    // Anyone may have made the name first in a shared temporary folder; it
    // is used only when it turns out to be ours and closed to others.
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) {
        fail(error, systemReason());
        return std::nullopt;
    }
    if (!isPrivateFolder(folder)) {
        fail(error, QStringLiteral("%1 is not a private folder of this user")
                        .arg(QFile::decodeName(folder)));
        return std::nullopt;
    }
    return folder;
}

} // namespace

bool touch(const QString& path, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // A link is never opened, as it would lead elsewhere: the name exists,
    // which is all a touch is for, and the delete after it removes the link
    // itself. Nothing else is even opened: opening a FIFO waits for a
    // reader, and opening a device can do anything the device likes.
    if (::lstat(name.constData(), &info) == 0) {
        if (S_ISLNK(info.st_mode))
            return true;
        if (!S_ISREG(info.st_mode))
            return fail(error, notRegular(info.st_mode));
    }
    // The name may change between the look and the open: the open itself
    // refuses a link and cannot block, and what it opened is checked.
    const int fd =
        ::open(name.constData(),
               O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(error, errno == ELOOP ? notRegular(S_IFLNK) : systemReason());
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular || fail(error, notRegular(info.st_mode));
}

bool remove(const QString& path, QString* error) {
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return true;
    return fail(error, errno == ENOENT ? QStringLiteral("No such file") : systemReason());
}

bool write(const QString& path, const QByteArray& bytes, QString* error) {
    const QFileInfo target(path);
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary =
            QFile::encodeName(target.path() + QStringLiteral("/.%1.%2")
                                                  .arg(target.fileName())
                                                  .arg(QRandomGenerator::global()->generate64(), 16,
                                                       16, QLatin1Char('0')));
        // Created here and now, so it is a regular file of the user's that
        // nobody else holds open; mode as any new file of the user's.
        const int fd = ::open(temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return fail(error, systemReason());
        const bool written = writeAll(fd, bytes);
        const int writeErrno = errno;
        if (::close(fd) != 0 || !written ||
            ::rename(temporary.constData(), name.constData()) != 0) {
            const int reason = written ? errno : writeErrno;
            ::unlink(temporary.constData());
            return fail(error, qt_error_string(reason));
        }
        return true;
    }
    return fail(error, QStringLiteral("No free temporary name beside it"));
}

std::optional<QString> privateCopy(const QString& scriptName, const QByteArray& bytes,
                                   const QProcessEnvironment& environment, QString* error) {
    const std::optional<QByteArray> folder = privateFolder(environment, error);
    if (!folder)
        return std::nullopt;
    QByteArray path = *folder + '/' + QFile::encodeName(QFileInfo(scriptName).fileName()) +
                      QByteArrayLiteral(".XXXXXX");
    // mkostemp creates it exclusively, mode 600.
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        fail(error, systemReason());
        return std::nullopt;
    }
    const bool written = writeAll(fd, bytes);
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        const int reason = written ? errno : writeErrno;
        ::unlink(path.constData());
        fail(error, qt_error_string(reason));
        return std::nullopt;
    }
    return QFile::decodeName(path);
}

std::optional<QString> compilerMessagesPath(const QProcessEnvironment& environment) {
    const std::optional<QByteArray> folder = privateFolder(environment, nullptr);
    if (!folder)
        return std::nullopt;
    return QFile::decodeName(*folder) + QStringLiteral("/tarnwick-%1.javac").arg(::getpid());
}

} // namespace tarnwick::scriptfiles
