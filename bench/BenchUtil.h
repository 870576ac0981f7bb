#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <ctime>

#include <sys/resource.h>

namespace tarnwick::bench {

// A file's content of exactly `size` bytes: `block` repeated, the rest 'x'.
inline QByteArray repeatedTo(const QByteArray& block, qint64 size) {
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() + block.size() <= size)
        bytes.append(block);
    bytes.append(QByteArray(size - bytes.size(), 'x'));
    return bytes;
}

inline qint64 monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Processor time of this process so far, user and system; unlike the
// monotonic clock it does not grow while other programs hold the cores.
inline qint64 cpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Page faults served without reading from disk, so far.
inline qint64 minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
inline qint64 statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Resets the peak resident size, so VmHWM afterwards is the peak of what follows.
inline void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

} // namespace tarnwick::bench
