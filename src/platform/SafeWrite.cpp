// fileaccess::writeFile: replaces a file's content so that a failure, a full
// disk or a killed process never leaves a half-written file in its place.
#include "platform/FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tarnwick::fileaccess {

namespace {

// An error number, 0 for success.
using Errno = int;

// Owns a descriptor; close() reports the error that a plain close would lose.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    Errno close() {
        const int fd = std::exchange(fd_, -1);
        // Linux frees the descriptor even when close fails; never retry it.
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Room for the whole content before any byte is written, so that a full
// disk is found while nothing has changed. File systems that cannot reserve
// say so, and the writes below still catch a full disk.
Errno reserve(int fd, qint64 length) {
    if (length == 0)
        return 0;
    const Errno result = ::posix_fallocate(fd, 0, length);
    return result == EOPNOTSUPP || result == EINVAL ? 0 : result;
}

Errno writeAll(int fd, const char* data, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        // Linux writes at most about 2 GiB per call.
        const size_t piece = size_t(std::min<qint64>(length - done, qint64(1) << 30));
        const ssize_t wrote = ::pwrite(fd, data + done, piece, done);
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (wrote == 0)
            return EIO;
        done += wrote;
    }
    return 0;
}

Errno writeAndSync(Descriptor& file, const char* data, qint64 length) {
    if (const Errno e = reserve(file.get(), length))
        return e;
    if (const Errno e = writeAll(file.get(), data, length))
        return e;
    if (::ftruncate(file.get(), length) != 0)
        return errno;
    if (::fsync(file.get()) != 0)
        return errno;
    return 0;
}

QByteArray uniqueName(const QByteArray& name) {
    return '.' + name + ".tarnwick-" +
           QByteArray::number(QRandomGenerator::global()->generate(), 16);
}

// A new, unlinked file in the folder: it vanishes with the process, so a
// save that never finishes leaves nothing behind. Where the file system
// has no unnamed files, a named one beside the target takes its place and
// `named` holds its name.
int createTemporary(int folder, const QByteArray& name, mode_t mode, QByteArray* named) {
#ifdef O_TMPFILE
    const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
#endif
    for (;;) {
        *named = uniqueName(name);
        const int fd =
            ::openat(folder, named->constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

// Gives the written temporary file a name of its own in the folder.
Errno linkTemporary(int fd, int folder, const QByteArray& name, QByteArray* linked) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (;;) {
        const QByteArray candidate = uniqueName(name);
        if (::linkat(AT_FDCWD, self.constData(), folder, candidate.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            *linked = candidate;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
}

mode_t modeForNewFile() {
    // The only way to read the umask is to set it; set it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes into the existing file itself. Used only where the folder forbids
// new files: the text is still in the editor, so a failure halfway loses
// nothing that is not on screen, and it is reported.
Errno writeInPlace(const QByteArray& target, const char* data, qint64 length) {
    Descriptor file(::open(target.constData(), O_WRONLY | O_CLOEXEC));
    if (!file.valid())
        return errno;
    if (const Errno e = writeAndSync(file, data, length))
        return e;
    return file.close();
}

Errno writeAtomically(const QByteArray& target, const char* data, qint64 length) {
    const int slash = target.lastIndexOf('/');
    const QByteArray folderPath = slash < 0 ? QByteArray(".") : target.left(std::max(slash, 1));
    const QByteArray name = target.mid(slash + 1);

    Descriptor folder(::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return errno;
    struct stat old {};
    const bool exists = ::fstatat(folder.get(), name.constData(), &old, 0) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return EISDIR;
    const mode_t mode = exists ? old.st_mode & 07777 : modeForNewFile();

    QByteArray named;
    Descriptor file(createTemporary(folder.get(), name, mode, &named));
    if (!file.valid()) {
        const Errno e = errno;
        if ((e == EACCES || e == EPERM) && exists)
            return writeInPlace(target, data, length);
        return e;
    }
    // Removes whichever name the temporary file has when a step fails.
    const auto fail = [&](Errno e) {
        if (!named.isEmpty())
            ::unlinkat(folder.get(), named.constData(), 0);
        return e;
    };
    // The old file keeps its owner where this process may give it away, and
    // its permission bits exactly (the creation mode went through the umask).
    // The owner comes first: a change of owner clears set-user-ID bits. A
    // file system that cannot hold owners or bits (FAT) still takes the save.
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)::fchown(file.get(), old.st_uid, old.st_gid);
    (void)::fchmod(file.get(), mode);
    if (const Errno e = writeAndSync(file, data, length))
        return fail(e);
    if (named.isEmpty()) {
        if (const Errno e = linkTemporary(file.get(), folder.get(), name, &named))
            return fail(e);
    }
    if (const Errno e = file.close())
        return fail(e);
    if (::renameat(folder.get(), named.constData(), folder.get(), name.constData()) != 0)
        return fail(errno);
    // The new name reaches the disk with the folder. Some file systems
    // cannot sync a folder at all, which is no failure of this save; any
    // other error is told, as the new content may not survive a power cut.
    if (::fsync(folder.get()) != 0 && errno != EINVAL)
        return errno;
    return folder.close();
}

} // namespace

bool writeFile(const QString& path, const char* data, qint64 length, QString* error) {
    // Through a symbolic link the file it points to is replaced, and the
    // link stays.
    const QFileInfo info(path);
    QString target = info.absoluteFilePath();
    if (info.isSymLink())
        target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    const Errno e = writeAtomically(QFile::encodeName(target), data, length);
    if (e != 0 && error)
        *error = qt_error_string(e);
    return e == 0;
}

} // namespace tarnwick::fileaccess
