// A save changes a file's bytes and nothing else about it, and is refused
// where the file itself may not be written; Open stops at what the editor
// can hold, whatever a file claims. Real accounts, links, ACLs, attributes
// and sticky folders, on the disk under the temporary folder.
#include "document/DocumentTexts.h"
#include "platform/FileAccess.h"
#include "support/Editor.h"
#include "support/OtherAccounts.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

const QByteArray oldText = "class Old {}\n";
const QByteArray newText = "class New { int grown; }\n";

// How each row's file comes to be, made by root before the save.
enum class Scene {
    SecondHardLink,   // work/x.java and work/x2.java, one file
    AclAndAttribute,  // an ACL entry for nobody and user.x on work/x.java
    OthersReadOnly,   // bob's 644 file in alice's folder
    RootsFile,        // root's 644 file in alice's folder
    OthersWritable,   // bob's 666 file in alice's folder
    OwnReadOnly,      // alice's own 444 file
    ForeignGroup,     // alice's file in bob's group, which alice is not in
    StickyFolder,     // bob's 666 file in a 1777 folder of root's
    AppendOnlyFolder, // chattr +a: new names, but no rename over one
    LongName,         // a name of 255 bytes, the most ext4 holds
    DanglingChain,    // work/a.java -> b.java -> ../other/c.java -> missing.java
};

const QString longName = QString(250, QLatin1Char('L')) + QStringLiteral(".java");

QString targetOf(Scene scene) {
    switch (scene) {
    case Scene::LongName:
        return QStringLiteral("work/") + longName;
    case Scene::DanglingChain:
        return QStringLiteral("work/a.java");
    default:
        return QStringLiteral("work/x.java");
    }
}

bool run(const QString& program, const QStringList& arguments) {
    return QProcess::execute(program, arguments) == 0;
}

bool own(const QString& path, uid_t uid, gid_t gid, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    return ::lchown(name.constData(), uid, gid) == 0 && ::chmod(name.constData(), mode) == 0;
}

// Makes the row's files under root; false with the reason where this
// machine cannot.
bool makeScene(Scene scene, const QString& root, const OtherAccounts* accounts, QString* why) {
    const QString work = root + QStringLiteral("/work");
    const QString x = work + QStringLiteral("/x.java");
    QDir(root).mkpath(QStringLiteral("work"));
    QDir(root).mkpath(QStringLiteral("other"));
    if (accounts && !own(work, accounts->alice.uid, accounts->alice.gid, 0755))
        return false;
    const Account* bob = accounts ? &accounts->bob : nullptr;
    const Account* alice = accounts ? &accounts->alice : nullptr;
    switch (scene) {
    case Scene::SecondHardLink:
        return writeBytes(x, oldText) &&
               ::link(QFile::encodeName(x).constData(),
                      QFile::encodeName(work + QStringLiteral("/x2.java")).constData()) == 0;
    case Scene::AclAndAttribute:
        if (!writeBytes(x, oldText) || !own(x, 0, 0, 0644))
            return false;
        *why = QStringLiteral("setfacl or setfattr refused on this file system");
        return run(QStringLiteral("setfacl"),
                   {QStringLiteral("-m"), QStringLiteral("u:nobody:rw"), x}) &&
               run(QStringLiteral("setfattr"), {QStringLiteral("-n"), QStringLiteral("user.x"),
                                                QStringLiteral("-v"), QStringLiteral("1"), x});
    case Scene::OthersReadOnly:
        return writeBytes(x, oldText) && own(x, bob->uid, bob->gid, 0644);
    case Scene::RootsFile:
        return writeBytes(x, oldText) && own(x, 0, 0, 0644);
    case Scene::OthersWritable:
        return writeBytes(x, oldText) && own(x, bob->uid, bob->gid, 0666);
    case Scene::OwnReadOnly:
        return writeBytes(x, oldText) && own(x, alice->uid, alice->gid, 0444);
    case Scene::ForeignGroup:
        return writeBytes(x, oldText) && own(x, alice->uid, bob->gid, 0664);
    case Scene::StickyFolder:
        return own(work, 0, 0, 01777) && writeBytes(x, oldText) && own(x, bob->uid, bob->gid, 0666);
    case Scene::AppendOnlyFolder:
        *why = QStringLiteral("chattr +a refused on this file system");
        return writeBytes(x, oldText) &&
               run(QStringLiteral("chattr"), {QStringLiteral("+a"), work});
    case Scene::LongName:
        return writeBytes(work + QLatin1Char('/') + longName, oldText);
    case Scene::DanglingChain:
        return QFile::link(QStringLiteral("b.java"), work + QStringLiteral("/a.java")) &&
               QFile::link(QStringLiteral("../other/c.java"), work + QStringLiteral("/b.java")) &&
               QFile::link(QStringLiteral("missing.java"), root + QStringLiteral("/other/c.java"));
    }
    return false;
}

// What a user can see of one name, content aside: a link's target, or a
// file's owner, group, mode, link count and every extended attribute (the
// ACL is system.posix_acl_access).
QString identity(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return QStringLiteral("absent");
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("link to ") + QFile::symLinkTarget(path);
    QString seen = QStringLiteral("owner %1 group %2 mode %3 links %4")
                       .arg(info.st_uid)
                       .arg(info.st_gid)
                       .arg(info.st_mode & 07777, 0, 8)
                       .arg(info.st_nlink);
    QByteArray names(65536, '\0');
    const ssize_t size = ::llistxattr(name.constData(), names.data(), size_t(names.size()));
    for (const QByteArray& attribute : names.left(std::max<ssize_t>(size, 0)).split('\0')) {
        if (attribute.isEmpty())
            continue;
        QByteArray value(65536, '\0');
        const ssize_t got = ::lgetxattr(name.constData(), attribute.constData(), value.data(),
                                        size_t(value.size()));
        seen += QStringLiteral(" %1=%2").arg(QString::fromLatin1(attribute),
                                             QString::fromLatin1(value.left(got).toHex()));
    }
    return seen;
}

// Every name under the folder, hidden ones included, with what is seen of it.
QMap<QString, QString> identities(const QString& root) {
    QMap<QString, QString> seen;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        seen.insert(QDir(root).relativeFilePath(path), identity(path));
    }
    return seen;
}

QMap<QString, QByteArray> contents(const QString& root) {
    QMap<QString, QByteArray> seen;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!QFileInfo(path).isSymLink())
            seen.insert(QDir(root).relativeFilePath(path), readBytes(path));
    }
    return seen;
}

} // namespace

Q_DECLARE_METATYPE(Scene)

class TestSaves : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    // Whoever saves, a save writes the text and leaves everything else the
    // user can see as it was, or is refused as a shell's redirection is. The
    // row through Save shows the message and that nothing counts as saved.
    void saveKeepsWhatTheFileIs_data() {
        QTest::addColumn<Scene>("scene");
        QTest::addColumn<bool>("asAlice"); // else as root
        QTest::addColumn<bool>("throughSave");
        QTest::addColumn<QString>("reason");        // empty: saved
        QTest::addColumn<QStringList>("rewritten"); // the files that then hold the new text
        const QString denied = QStringLiteral("Permission denied");
        const QStringList x{QStringLiteral("work/x.java")};
        QTest::newRow("second hard link")
            << Scene::SecondHardLink << false << false << QString()
            << QStringList{QStringLiteral("work/x.java"), QStringLiteral("work/x2.java")};
        QTest::newRow("ACL and attribute")
            << Scene::AclAndAttribute << false << false << QString() << x;
        QTest::newRow("bob's 644 file as alice, through Save")
            << Scene::OthersReadOnly << true << true << denied << QStringList();
        QTest::newRow("root's 644 file as alice")
            << Scene::RootsFile << true << false << denied << QStringList();
        QTest::newRow("alice's own 444 file")
            << Scene::OwnReadOnly << true << false << denied << QStringList();
        QTest::newRow("bob's 666 file as alice")
            << Scene::OthersWritable << true << false << QString() << x;
        QTest::newRow("alice's file in bob's group")
            << Scene::ForeignGroup << true << false << QString() << x;
        QTest::newRow("bob's 666 file in a sticky folder, as alice")
            << Scene::StickyFolder << true << false << QString() << x;
        QTest::newRow("append-only folder")
            << Scene::AppendOnlyFolder << false << false << QString() << x;
        QTest::newRow("name of 255 bytes") << Scene::LongName << false << false << QString()
                                           << QStringList{QStringLiteral("work/") + longName};
        QTest::newRow("Save As onto a dangling chain of links")
            << Scene::DanglingChain << false << false << QString()
            << QStringList{QStringLiteral("other/missing.java")};
    }
    void saveKeepsWhatTheFileIs() {
        QFETCH(Scene, scene);
        QFETCH(bool, asAlice);
        QFETCH(bool, throughSave);
        QFETCH(QString, reason);
        QFETCH(QStringList, rewritten);
        if (::geteuid() != 0)
            QSKIP("the files of other accounts are made as root");
        QString why;
        std::optional<OtherAccounts> accounts;
        if (asAlice && !(accounts = OtherAccounts::get(&why)))
            QSKIP(qPrintable(why));
        QTemporaryDir dir;
        QVERIFY(openToOthers(dir.path()));
        // Or the folder could not be removed.
        const auto unmark = qScopeGuard([&] {
            if (scene == Scene::AppendOnlyFolder)
                run(QStringLiteral("chattr"), {QStringLiteral("-a"), dir.filePath("work")});
        });
        if (!makeScene(scene, dir.path(), accounts ? &*accounts : nullptr, &why))
            QSKIP(qPrintable(QStringLiteral("cannot set the row up: ") + why));
        const QString target = dir.filePath(targetOf(scene));
        const QMap<QString, QString> before = identities(dir.path());
        QMap<QString, QByteArray> expected = contents(dir.path());
        for (const QString& name : std::as_const(rewritten))
            expected.insert(name, newText);
        Editor e;
        if (throughSave) {
            e.open(target);
            e.text().clearDocument();
            e.type(newText);
            e.platform.clearCalls();
        }

        const Account account = asAlice ? accounts->alice : Account{QStringLiteral("root"), 0, 0};
        const QString outcome = runAs(account, asAlice ? accounts->shared : 0, [&] {
            if (!throughSave) {
                QString error;
                return fileaccess::writeFile(target, newText.constData(), newText.size(), &error)
                           ? QString()
                           : error;
            }
            e.form.saveim();
            QString seen = e.state().saveCompleted ? QStringLiteral("completed") : QString();
            for (const PlatformCall& call : e.platform.callsOf(QStringLiteral("messageBox")))
                seen += call.text + QLatin1Char('|') + call.title;
            return seen;
        });

        QCOMPARE(outcome, !throughSave       ? reason
                          : reason.isEmpty() ? QStringLiteral("completed")
                                             : doctexts::cantSaveText(target, reason) +
                                                   QLatin1Char('|') + doctexts::cantSaveTitle);
        QCOMPARE(contents(dir.path()), expected);
        // Owner, group, mode, ACL, attributes, links, and no name more or
        // less; a name the save created is a new file as a shell makes one.
        QMap<QString, QString> after = identities(dir.path());
        for (const QString& name : std::as_const(rewritten)) {
            if (!before.contains(name)) {
                const mode_t mask = ::umask(0);
                ::umask(mask);
                QCOMPARE(after.take(name),
                         QStringLiteral("owner 0 group 0 mode %1 links 1").arg(0666 & ~mask, 0, 8));
            }
        }
        QCOMPARE(after, before);
    }

    // /proc/self/pagemap claims 0 bytes and reads hundreds of gigabytes. Open
    // ends at the limit with its own reason, in a child that a hang would not
    // outlive (the bound only catches a hang; it times nothing).
    void openStopsAtTheLimit() {
        if (::geteuid() != 0)
            QSKIP("runs its child through the accounts helper, which needs root");
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("pm.java"));
        QVERIFY(QFile::link(QStringLiteral("/proc/self/pagemap"), link));
        Editor e;
        const QString outcome = runAs(Account{QStringLiteral("root"), 0, 0}, 0, [&] {
            ::alarm(60);
            e.open(link);
            QString seen;
            for (const PlatformCall& call : e.platform.callsOf(QStringLiteral("messageBox")))
                seen += call.text + QLatin1Char('|') + call.title;
            return seen;
        });
        QCOMPARE(outcome, doctexts::cantOpenText(link, doctexts::tooLargeReason) +
                              QLatin1Char('|') + doctexts::cantOpenTitle);
    }
};

QTEST_MAIN(TestSaves)
#include "tst_saves.moc"
