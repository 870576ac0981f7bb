// The process bench/kill_save.sh kills: it saves one of two versions of a
// large file through the editor's own writeFile and exits 0 when the save
// has returned. Each version differs from the other in every byte, so any
// mixture of the two, or a cut, shows.
//   bench_kill_save PATH old|new [MB]
#include "files/FileAccess.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc < 3 || (std::strcmp(argv[2], "old") != 0 && std::strcmp(argv[2], "new") != 0)) {
        std::fprintf(stderr, "usage: %s PATH old|new [MB]\n", argv[0]);
        return 2;
    }
    const qint64 megabytes = argc > 3 ? QByteArray(argv[3]).toLongLong() : 200;
    const unsigned char seed = argv[2][0] == 'o' ? 0 : 128;
    // A 64 KiB block repeated: bytes of the two versions are 128 apart.
    QByteArray block(64 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char((i * 31 + seed) & 0xff);
    QByteArray content(megabytes * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype at = 0; at < content.size(); at += block.size())
        std::memcpy(content.data() + at, block.constData(), size_t(block.size()));

    // The killer times its shots by these two lines, so that they land in the save.
    std::puts("saving");
    std::fflush(stdout);
    QString error;
    if (!tarnwick::fileaccess::writeFile(QString::fromLocal8Bit(argv[1]), content.constData(),
                                         content.size(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::puts("saved");
    return 0;
}
