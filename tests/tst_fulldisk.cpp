// Save and the launch scripts on real small disks: full, nearly full,
// read-only, and a folder that forbids new files. The failures come from
// the kernel, not from the test double.
#include "runner/RunCommands.h"
#include "support/Editor.h"
#include "support/TestFiles.h"
#include "support/TmpfsMount.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <utility>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

constexpr qint64 page = 4096;
constexpr qint64 nearlyFull = 12 * 1024;
const QString noSpace = QStringLiteral("No space left on device");

QByteArray javaLike(qint64 size) {
    QByteArray bytes;
    for (qint64 i = 0; i < size; ++i)
        bytes.append(char(i % 251 == 250 ? '\n' : 'a' + i % 26));
    return bytes;
}

// tmpfs hands out whole pages.
bool fitsIn(qint64 size, qint64 freeBytes) {
    return (size + page - 1) / page * page <= freeBytes;
}

// The one message box a failed write shows, or none when `reason` is empty.
QList<PlatformCall> reported(const QString& file, const QString& reason, const QString& title) {
    if (reason.isEmpty())
        return {};
    return {{QStringLiteral("messageBox"),
             file + QStringLiteral(" could not be written\r") + reason, title, 64}};
}

// Root passes every permission check, so a folder without write permission
// stops only other users. Dropping the overriding capabilities from this
// thread makes root obey the permission bits as the file's owner, without a
// second process: the kernel then refuses new files in a 0555 folder, while
// the owner's own 0644 file stays writable.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        active_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutPermissionOverride() {
        if (active_)
            syscall(SYS_capset, &header_, saved_);
    }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;
    bool active() const { return active_; }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    // Save, as the user runs it: every write that did not reach the disk is
    // reported, the old file stays byte for byte, and nothing is left beside
    // it. Sizes around 16 KiB matter: smaller writes used to wait in a buffer
    // whose failure was lost.
    void saveOnSmallDisk_data() {
        QTest::addColumn<QString>("disk");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("reason"); // empty: the save succeeds
        for (const auto& [disk, freeBytes] :
             {std::pair{"full", qint64(0)}, std::pair{"nearly full", nearlyFull}}) {
            for (const qint64 size : {0, 1, 100, 16 * 1024, 16 * 1024 + 1, 1024 * 1024})
                QTest::addRow("%s, %lld bytes", disk, size)
                    << QString(disk) << size << (fitsIn(size, freeBytes) ? QString() : noSpace);
        }
        QTest::newRow("read-only, 100 bytes") << QStringLiteral("read-only") << qint64(100)
                                              << QStringLiteral("Read-only file system");
    }
    void saveOnSmallDisk() {
        QFETCH(QString, disk);
        QFETCH(qint64, size);
        QFETCH(QString, reason);
        TmpfsMount mount;
        if (!mount.mounted())
            QSKIP(qPrintable(mount.error()));
        const QString path = mount.filePath(QStringLiteral("Old.java"));
        const QByteArray old = "class Old {}\n";
        QVERIFY(writeBytes(path, old));
        Editor e;
        e.open(path);
        e.text().clearDocument();
        const QByteArray typed = javaLike(size);
        e.type(typed);
        QVERIFY(!e.state().isSaved);
        QVERIFY(disk == QLatin1String("read-only")
                    ? mount.makeReadOnly()
                    : mount.fill(disk == QLatin1String("full") ? 0 : nearlyFull));
        const QString title = e.form.windowTitle();
        e.platform.clearCalls();

        e.form.saveim();

        const bool failed = !reason.isEmpty();
        QCOMPARE(e.platform.callsOf(QStringLiteral("messageBox")),
                 reported(path, reason, QStringLiteral("Can't save")));
        QCOMPARE(e.state().saveCompleted, !failed);
        QCOMPARE(e.state().isSaved, !failed);
        QCOMPARE(e.form.windowTitle(), title);
        QCOMPARE(e.text().bytes(), typed);
        QVERIFY(readBytes(path) == (failed ? old : typed));
        QCOMPARE(filesIn(mount.path()), disk == "read-only"
                                            ? QStringList({"Old.java"})
                                            : QStringList({"Old.java", TmpfsMount::fillerName}));
    }

    // A launch script that could not be written whole is reported and never
    // started: an empty or cut script must not run. (Every command writes
    // its script the same way.)
    void launchScriptOnSmallDisk_data() {
        QTest::addColumn<qint64>("freeBytes");
        QTest::addColumn<QString>("reason"); // empty: the script is written and started
        QTest::newRow("full") << qint64(0) << noSpace;
        QTest::newRow("nearly full") << nearlyFull << QString();
    }
    void launchScriptOnSmallDisk() {
        QFETCH(qint64, freeBytes);
        QFETCH(QString, reason);
        TmpfsMount mount;
        if (!mount.mounted())
            QSKIP(qPrintable(mount.error()));
        QVERIFY(QDir::setCurrent(mount.path()));
        QVERIFY(mount.fill(freeBytes));
        FakePlatform platform;

        runner::compile("Hello.java", platform);

        const bool fits = reason.isEmpty();
        QCOMPARE(platform.callsOf("messageBox"), reported("temc.bat", reason, "Can't compile"));
        QCOMPARE(platform.started, fits ? QStringList{"temc.bat"} : QStringList{});
        // Creating the empty script needs no room; only its bytes do.
        QCOMPARE(readBytes("temc.bat"),
                 fits ? QByteArray("@echo OFF\r\nclearscr\r\njavac Hello.java\r\nkeypress")
                      : QByteArray());
        QCOMPARE(filesIn(mount.path()), QStringList({TmpfsMount::fillerName, "temc.bat"}));
    }

    // Where the folder forbids new files but the file may be written, Save
    // writes the file in place; with no room for the new text it says so and
    // the file keeps its old bytes.
    void saveInFolderWithoutNewFiles_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("freeBytes"); // -1: not filled
        QTest::addColumn<bool>("fits");
        QTest::newRow("shorter than the old file") << qint64(10) << qint64(-1) << true;
        QTest::newRow("longer, 16 KiB + 1") << qint64(16 * 1024 + 1) << qint64(-1) << true;
        QTest::newRow("longer, no room") << qint64(16 * 1024 + 1) << nearlyFull << false;
    }
    void saveInFolderWithoutNewFiles() {
        QFETCH(qint64, size);
        QFETCH(qint64, freeBytes);
        QFETCH(bool, fits);
        TmpfsMount mount(256 * 1024);
        if (!mount.mounted())
            QSKIP(qPrintable(mount.error()));
        const QString path = mount.filePath(QStringLiteral("Old.java"));
        const QByteArray old = javaLike(1000);
        QVERIFY(writeBytes(path, old));
        Editor e;
        e.open(path);
        e.text().clearDocument();
        const QByteArray typed = javaLike(size).replace('a', 'N');
        e.type(typed);
        if (freeBytes >= 0)
            QVERIFY(mount.fill(freeBytes));
        QVERIFY(::chmod(QFile::encodeName(mount.path()).constData(), 0555) == 0);
        e.platform.clearCalls();
        {
            WithoutPermissionOverride asOwner;
            if (!asOwner.active())
                QSKIP("cannot drop the permission override of root");
            // The kernel itself must refuse a new file here, or the row
            // proves nothing.
            QVERIFY(!QFile(mount.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly));
            e.form.saveim();
        }

        QCOMPARE(e.platform.callsOf(QStringLiteral("messageBox")),
                 reported(path, fits ? QString() : noSpace, QStringLiteral("Can't save")));
        QCOMPARE(e.state().saveCompleted, fits);
        QCOMPARE(e.state().isSaved, fits);
        QVERIFY(readBytes(path) == (fits ? typed : old));
        QCOMPARE(filesIn(mount.path()), freeBytes < 0
                                            ? QStringList({"Old.java"})
                                            : QStringList({"Old.java", TmpfsMount::fillerName}));
    }
};

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
