#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tarnwick::test {

// A small tmpfs file system of its own in a temporary folder, for as long as
// the object lives: real full-disk and read-only failures, which a write
// cannot tell from those of any other disk. Mounting needs root (or the
// right to mount); where it is refused, mounted() is false and error() says
// why.
class TmpfsMount {
public:
    explicit TmpfsMount(qint64 size = 64 * 1024);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool mounted() const { return mounted_; }
    QString error() const { return error_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // Takes all room but `leaveFree` bytes (whole 4 KiB pages) with the file
    // "filler", writing until the disk reports it full. False when the free
    // room is not exactly `leaveFree` afterwards.
    bool fill(qint64 leaveFree = 0);
    qint64 freeBytes() const;
    // From now on every change is refused with "Read-only file system".
    bool makeReadOnly();

    static constexpr const char* fillerName = "filler";

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString error_;
};

} // namespace tarnwick::test
