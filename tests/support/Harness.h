#pragma once

// What every offscreen test program shares: tables of rows as plain data, a
// folder of its own, and files read and written whole.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>

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

} // namespace tarnwick::test
