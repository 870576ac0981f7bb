#pragma once

// What every offscreen test program shares: tables of rows as plain data, a
// folder of its own, files read and written whole, and a real shortage of
// memory.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>

#include <sys/resource.h>
#include <unistd.h>

namespace tarnwick::test {

// A table of rows, each a struct whose first member is its `name`, becomes a
// Qt Test table without a column per member:
//   void saves_data() { addRows(saveRows); }
//   void saves() { const SaveRow& r = row(saveRows); ... }
template <class Row, std::size_t N> void addRows(const Row (&rows)[N]) {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << int(i);
}
template <class Row, std::size_t N> const Row& row(const Row (&rows)[N]) {
    return rows[*static_cast<int*>(QTest::qData("row", QMetaType::Int))];
}

// A fresh folder that is the working folder while it lives, so that files of
// one row never meet the next.
struct Folder : QTemporaryDir {
    Folder() { QDir::setCurrent(path()); }
    ~Folder() { QDir::setCurrent(QDir::rootPath()); }
};

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// A missing or unreadable file reads as "(absent)", which no test writes.
inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("(absent)");
}

// Every file in the folder, hidden ones included, sorted by name.
inline QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Address sanitizer reserves terabytes of address space up front, so a limit
// on it cannot produce an ordinary allocation failure there.
#ifdef TARNWICK_SANITIZE
inline constexpr bool canLimitMemory = false;
#else
inline constexpr bool canLimitMemory = true;
#endif

// Lets the process map only `headroom` more bytes than it has mapped now,
// while it lives: a real allocation failure, as on a machine out of memory.
struct MemoryLimit {
    rlimit saved{};
    bool active = false;
    explicit MemoryLimit(qint64 headroom) {
        getrlimit(RLIMIT_AS, &saved);
        rlimit limited = saved;
        const QByteArray statm = readBytes("/proc/self/statm");
        limited.rlim_cur =
            rlim_t(statm.split(' ').value(0).toLongLong() * getpagesize() + headroom);
        active = statm != "(absent)" && setrlimit(RLIMIT_AS, &limited) == 0;
    }
    ~MemoryLimit() { setrlimit(RLIMIT_AS, &saved); }
    Q_DISABLE_COPY_MOVE(MemoryLimit)
};

} // namespace tarnwick::test
