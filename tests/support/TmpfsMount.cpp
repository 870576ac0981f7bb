#include "support/TmpfsMount.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tarnwick::test {

TmpfsMount::TmpfsMount(qint64 size) {
    if (!dir_.isValid()) {
        error_ = dir_.errorString();
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(size) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                options.constData()) != 0) {
        error_ = QStringLiteral("cannot mount tmpfs: ") + qt_error_string(errno);
        return;
    }
    mounted_ = true;
}

TmpfsMount::~TmpfsMount() {
    // Lazily: a test that failed may still hold a file or the working folder
    // there; the mount goes once they are let go.
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

qint64 TmpfsMount::freeBytes() const {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(dir_.path()).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

bool TmpfsMount::fill(qint64 leaveFree) {
    const int fd = ::open(QFile::encodeName(filePath(QLatin1String(fillerName))).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const QByteArray page(4096, 'f');
    qint64 size = 0;
    for (;;) {
        const ssize_t wrote = ::write(fd, page.constData(), size_t(page.size()));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            break;
        size += wrote;
    }
    const bool full = errno == ENOSPC;
    const bool trimmed = ::ftruncate(fd, qMax<qint64>(size - leaveFree, 0)) == 0;
    ::close(fd);
    return full && trimmed && freeBytes() == leaveFree;
}

bool TmpfsMount::makeReadOnly() {
    return ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), nullptr,
                   MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace tarnwick::test
