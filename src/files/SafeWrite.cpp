// fileaccess::writeFile: replaces a file's content, and nothing else about
// it, so that a failure, a full disk or a killed process never leaves a
// half-written file in its place.
#include "files/FileAccess.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

// Writes into the file itself: the only road that keeps everything about
// it, but a failure or a kill halfway can leave it partly written. The text
// is still in the editor, so that loses nothing that is not on screen, and
// a failure is reported.
Errno writeInPlace(Descriptor& file, const char* data, qint64 length) {
    if (const Errno e = writeAndSync(file, data, length))
        return e;
    return file.close();
}

// Never built from the file's name: any name the file system holds must
// leave room for the temporary one.
QByteArray uniqueName() {
    return ".tarnwick-" + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
}

// A new, unlinked file in the folder: it vanishes with the process, so a
// save that never finishes leaves nothing behind. Where the file system
// has no unnamed files, a named one beside the target takes its place and
// `named` holds its name.
int createTemporary(int folder, mode_t mode, QByteArray* named) {
#ifdef O_TMPFILE
    const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
#endif
    for (;;) {
        *named = uniqueName();
        const int fd =
            ::openat(folder, named->constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

// Gives the written temporary file a name of its own in the folder.
Errno linkTemporary(int fd, int folder, QByteArray* linked) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (;;) {
        const QByteArray candidate = uniqueName();
        if (::linkat(AT_FDCWD, self.constData(), folder, candidate.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            *linked = candidate;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
}

// The names of a file's extended attributes (the ACL among them, as
// system.posix_acl_access); none where the file system has none. False when
// they cannot be read.
bool attributeNames(int fd, QList<QByteArray>* names) {
    QByteArray list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        list.resize(size);
        const ssize_t got = ::flistxattr(fd, list.data(), size_t(list.size()));
        if (got >= 0) {
            list.truncate(got);
            break;
        }
        if (errno != ERANGE) // grew meanwhile
            return false;
    }
    *names = list.split('\0');
    names->removeAll(QByteArray());
    return true;
}

bool attribute(int fd, const QByteArray& name, QByteArray* value) {
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value->resize(size);
        const ssize_t got = ::fgetxattr(fd, name.constData(), value->data(), size_t(value->size()));
        if (got >= 0) {
            value->truncate(got);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// Gives the new file everything of the old one but its content: owner,
// group, mode, extended attributes and ACL, and no attribute the folder
// handed down (a default ACL). False where this account cannot; the caller
// then writes the old file in place instead.
bool takeOver(int from, const struct stat& old, int to) {
    // The owner comes first: a change of owner clears set-user-ID bits.
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(to, old.st_uid, old.st_gid) != 0)
        return false;
    // The mode before the ACL: on a file with an ACL, the group bits of a
    // chmod become the ACL's mask.
    if (::fchmod(to, old.st_mode & 07777) != 0)
        return false;
    QList<QByteArray> names;
    QList<QByteArray> inherited;
    if (!attributeNames(from, &names) || !attributeNames(to, &inherited))
        return false;
    QByteArray value;
    for (const QByteArray& name : std::as_const(names)) {
        if (!attribute(from, name, &value) ||
            ::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    for (const QByteArray& name : std::as_const(inherited)) {
        if (!names.contains(name) && ::fremovexattr(to, name.constData()) != 0)
            return false;
    }
    // Whatever a file system made of all that, the result must be the same.
    struct stat now {};
    return ::fstat(to, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Where a save through symbolic links lands: each link is read in turn, a
// relative one from its own folder (never cleaned up as text, since ".."
// after a linked folder is not the folder above it), so that a chain ending
// at a missing name creates that name and every link stays a link.
Errno followLinks(QByteArray* path) {
    constexpr int mostLinks = 40; // the kernel's own bound
    for (int followed = 0;; ++followed) {
        struct stat info {};
        if (::lstat(path->constData(), &info) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(info.st_mode))
            return 0;
        if (followed == mostLinks)
            return ELOOP;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t got = ::readlink(path->constData(), target.data(), size_t(target.size()));
        if (got < 0)
            return errno;
        if (got == target.size())
            return ENAMETOOLONG;
        target.truncate(got);
        *path = target.startsWith('/') ? target : path->left(path->lastIndexOf('/') + 1) + target;
    }
}

// A folder marked append-only (chattr +a) takes new names but refuses to
// rename over or remove one, so a temporary name there would stay for good.
bool appendOnly(int folder) {
    int flags = 0;
    return ::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_APPEND_FL) != 0;
}

// Writes a new file beside the target and renames it over the target. For
// an existing regular file, `self` is the file opened for writing and `old`
// what it is; where the new file could not be made the same in everything
// but its content, the file is written in place instead.
Errno replace(int folder, const QByteArray& name, Descriptor& self, const struct stat* old,
              const char* data, qint64 length) {
    QByteArray named;
    // An absent file is made as a shell would make it: through the umask
    // and the folder's default ACL.
    Descriptor file(createTemporary(folder, old ? old->st_mode & 07777 : 0666, &named));
    if (!file.valid()) {
        const Errno e = errno;
        // A folder that forbids new files.
        if ((e == EACCES || e == EPERM) && self.valid())
            return writeInPlace(self, data, length);
        return e;
    }
    // Removes whichever name the temporary file has when a step fails.
    const auto fail = [&](Errno e) {
        if (!named.isEmpty())
            ::unlinkat(folder, named.constData(), 0);
        return e;
    };
    if (self.valid() && !takeOver(self.get(), *old, file.get())) {
        fail(0);
        return writeInPlace(self, data, length);
    }
    if (const Errno e = writeAndSync(file, data, length))
        return fail(e);
    if (named.isEmpty()) {
        if (const Errno e = linkTemporary(file.get(), folder, &named))
            return fail(e);
    }
    if (const Errno e = file.close())
        return fail(e);
    if (::renameat(folder, named.constData(), folder, name.constData()) != 0) {
        const Errno e = fail(errno);
        // A folder that refuses the rename of others' files (sticky) to an
        // account that could still give the new file their owner.
        if ((e == EPERM || e == EACCES) && self.valid())
            return writeInPlace(self, data, length);
        return e;
    }
    // The new name reaches the disk with the folder. Some file systems
    // cannot sync a folder at all, which is no failure of this save; any
    // other error is told, as the new content may not survive a power cut.
    if (::fsync(folder) != 0 && errno != EINVAL)
        return errno;
    return 0;
}

Errno save(const QByteArray& target, const char* data, qint64 length) {
    const int slash = target.lastIndexOf('/');
    const QByteArray folderPath = slash < 0 ? QByteArray(".") : target.left(std::max(slash, 1));
    const QByteArray name = target.mid(slash + 1);

    Descriptor folder(::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return errno;
    struct stat old {};
    if (::fstatat(folder.get(), name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return errno;
        Descriptor none(-1);
        const Errno e = replace(folder.get(), name, none, nullptr, data, length);
        return e != 0 ? e : folder.close();
    }
    if (S_ISDIR(old.st_mode))
        return EISDIR;
    // Saved only where the file itself may be written, as a shell's
    // redirection would: the folder's permission is not the file's. The
    // probe never waits, for a FIFO or a device.
    Descriptor self(::openat(folder.get(), name.constData(),
                             O_WRONLY | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (!self.valid())
        return errno;
    if (::fstat(self.get(), &old) != 0)
        return errno;
    // A new file would leave other names of this one with the old text, or
    // put a regular file where a device or FIFO was, or leave its name for
    // good in an append-only folder.
    if (old.st_nlink > 1 || !S_ISREG(old.st_mode) || appendOnly(folder.get()))
        return writeInPlace(self, data, length);
    const Errno e = replace(folder.get(), name, self, &old, data, length);
    return e != 0 ? e : folder.close();
}

} // namespace

bool writeFile(const QString& path, const char* data, qint64 length, QString* error) {
    QByteArray target = QFile::encodeName(path);
    Errno e = followLinks(&target);
    if (e == 0)
        e = save(target, data, length);
    if (e != 0 && error)
        *error = qt_error_string(e);
    return e == 0;
}

} // namespace tarnwick::fileaccess
