// The desktop platform services: file access on the real file system and
// message boxes as the user sees them.
#include "platform/CodePage.h"
#include "platform/FileAccess.h"
#include "platform/QtPlatform.h"
#include "support/TestFiles.h"

#include <QAbstractButton>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace tarnwick;
using namespace tarnwick::test;

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    // The code page follows the locale the program is started in: only a
    // UTF-8 character set gives UTF-8.
    void codePageFromLocale_data() {
        QTest::addColumn<QByteArray>("locale"); // LC_ALL
        QTest::addColumn<bool>("utf8");
        QTest::newRow("C.UTF-8") << QByteArray("C.UTF-8") << true;
        QTest::newRow("C.utf8 spelling") << QByteArray("C.utf8") << true;
        QTest::newRow("POSIX") << QByteArray("POSIX") << false;
    }
    void codePageFromLocale() {
        QFETCH(QByteArray, locale);
        QFETCH(bool, utf8);
        const QByteArray previous = qgetenv("LC_ALL");
        qputenv("LC_ALL", locale);
        const CodePage found = localeCodePage();
        qputenv("LC_ALL", previous);
        std::setlocale(LC_ALL, "");
        QCOMPARE(found == CodePage::Utf8, utf8);
        // The names nl_langinfo gives for single-byte character sets.
        for (const char* codeset : {"ANSI_X3.4-1968", "ISO-8859-1", "ISO-8859-15", "KOI8-R", ""})
            QCOMPARE(codePageForCodeset(codeset), CodePage::SingleByte);
    }

    // The single-byte code page takes the locale's character set: bytes show
    // as its characters and typed characters become its bytes. ASCII and a
    // set the system cannot convert keep Latin-1.
    void singleByteCharsets_data() {
        QTest::addColumn<QByteArray>("codeset");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("outside"); // a character the set lacks
        QTest::newRow("KOI8-R") << QByteArray("KOI8-R") << "\u0436" << QByteArray("\xd6")
                                << "\u00e9";
        QTest::newRow("ISO-8859-15")
            << QByteArray("ISO-8859-15") << "\u20ac" << QByteArray("\xa4") << "\u00a4";
        QTest::newRow("ASCII: Latin-1")
            << QByteArray("ANSI_X3.4-1968") << "\u00e9" << QByteArray("\xe9") << "\u0436";
        QTest::newRow("unknown: Latin-1")
            << QByteArray("NO-SUCH-SET") << "\u00e9" << QByteArray("\xe9") << "\u0436";
    }
    void singleByteCharsets() {
        QFETCH(QByteArray, codeset);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, outside);
        useSingleByteCharset(codeset.constData());
        const QByteArray encoded = encodeText(text, CodePage::SingleByte);
        const QString decoded = decodeSingleByte(bytes.constData(), bytes.size());
        const std::optional<char32_t> refused = firstUnencodable(outside, CodePage::SingleByte);
        useSingleByteCharset(nullptr);
        QCOMPARE(encoded, bytes);
        QCOMPARE(decoded, text);
        QCOMPARE(refused, std::optional<char32_t>(outside.at(0).unicode()));
    }

    // The reasons the editor shows when a file is not there to work on.
    // (Touch, delete and length of real files run in every run-command test.)
    void absentFilesAndFolders() {
        QTemporaryDir dir;
        const QString absent = dir.filePath("absent");
        const auto sink = [](const char*, qint64) { return true; };
        QString error;
        QVERIFY(!fileaccess::deleteFile(absent, &error));
        QCOMPARE(error, QStringLiteral("No such file"));
        QVERIFY(!fileaccess::readFile(absent, sink, &error));
        QCOMPARE(error, QStringLiteral("No such file"));
        QVERIFY(!fileaccess::readFile(dir.path(), sink, &error));
        QCOMPARE(error, QStringLiteral("Not a regular file"));
        QCOMPARE(fileaccess::fileLength(absent), qint64(-1));
    }

    void readDeliversEveryByteInOrder() {
        QTemporaryDir dir;
        // Larger than one read chunk, so the pieces must join up exactly.
        QByteArray content;
        for (int i = 0; i < 9 * 1024 * 1024; ++i)
            content.append(char(i * 7 % 256));
        const QString path = dir.filePath(QStringLiteral("big"));
        QVERIFY(writeBytes(path, content));
        QByteArray got;
        QString error;
        QVERIFY(fileaccess::readFile(
            path, [&](const char* d, qint64 n) { return got.append(d, n), true; }, &error));
        QCOMPARE(got.size(), content.size());
        QVERIFY(got == content);
        // A sink that gives up ends the read as a failure.
        QVERIFY(!fileaccess::readFile(
            path, [](const char*, qint64) { return false; }, &error));
    }

    // A write over the file-size limit (a failure every user can meet, on the
    // ordinary disk; full disks have tests of their own) leaves the old file
    // exactly as it was and no temporary file behind.
    void failedWriteKeepsOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Old.java"));
        QVERIFY(writeBytes(path, "old content"));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const QByteArray big(64 * 1024, 'n');
        QString error;
        const bool written = fileaccess::writeFile(path, big.constData(), big.size(), &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!written);
        QCOMPARE(error, QStringLiteral("File too large"));
        QCOMPARE(readBytes(path), QByteArray("old content"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Old.java")});
        // And with room enough the same call replaces it exactly.
        QVERIFY(fileaccess::writeFile(path, big.constData(), big.size(), &error));
        QCOMPARE(readBytes(path), big);
    }

    // Replacing a file keeps what the user set on it: its permission bits,
    // and a symbolic link, through which the file it names is rewritten.
    void writeKeepsModeAndLinks() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kept.java"));
        const QString link = dir.filePath(QStringLiteral("Link.java"));
        const auto mode = [&path] {
            struct stat info {};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777
                                                                           : 0u;
        };
        QString error;
        const mode_t savedMask = ::umask(027);
        const bool created = fileaccess::writeFile(path, "new", 3, &error);
        ::umask(savedMask);
        QVERIFY(created);
        QCOMPARE(mode(), 0640u);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0601) == 0);
        QVERIFY(QFile::link(QStringLiteral("Kept.java"), link));
        QVERIFY(fileaccess::writeFile(link, "through the link", 16, &error));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readBytes(path), QByteArray("through the link"));
        QCOMPARE(mode(), 0601u);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 (QStringList{QStringLiteral("Kept.java"), QStringLiteral("Link.java")}));
    }

    void messageBoxShowsStyleAndReturnsAnswer_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("buttons"); // by name, and the icon
        QTest::newRow("OK only") << 0 << "OK" << 1 << "OK, no icon";
        QTest::newRow("information") << 64 << "OK" << 1 << "OK, information";
        QTest::newRow("Yes/No: No") << 4 << "No" << 7 << "No Yes, no icon";
        QTest::newRow("Yes/No/Cancel: Yes") << 3 << "Yes" << 6 << "Cancel No Yes, no icon";
        QTest::newRow("Yes/No/Cancel: Cancel") << 3 << "Cancel" << 2 << "Cancel No Yes, no icon";
    }
    void messageBoxShowsStyleAndReturnsAnswer() {
        QFETCH(int, style);
        QFETCH(QString, press);
        QFETCH(int, answer);
        QFETCH(QString, buttons);
        QtPlatform platform(CodePage::Utf8);
        QStringList shown; // title, buttons and icon, then each label's text and format
        // The box is modal: inspect and answer it from inside its own loop.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QStringList captions;
            for (QAbstractButton* b : box->buttons())
                captions << b->text().remove('&');
            const bool information = box->icon() == QMessageBox::Information;
            QStringList sorted = captions;
            sorted.sort();
            shown << box->windowTitle()
                  << sorted.join(' ') + (information ? ", information" : ", no icon");
            for (QLabel* label : box->findChildren<QLabel*>())
                if (!label->text().isEmpty())
                    shown << label->text()
                          << (label->textFormat() == Qt::PlainText ? "plain" : "rich");
            box->buttons().at(captions.indexOf(press))->click();
        });
        // A file name in a message is shown as itself, never as markup.
        const MsgAnswer got =
            platform.messageBox("\r<font color=white>first\rsecond", MsgStyle(style), "Title");
        QCOMPARE(int(got), answer);
        QCOMPARE(shown,
                 QStringList({"Title", buttons, "\n<font color=white>first\nsecond", "plain"}));
    }

    // A pasted command longer than a line edit's default limit comes back
    // whole; Cancel gives the empty string.
    void inputBoxKeepsLongAnswers() {
        QtPlatform platform(CodePage::Utf8);
        const QString pasted(40000, QLatin1Char('x'));
        for (const bool accept : {true, false}) {
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->findChild<QLineEdit*>()->insert(pasted);
                accept ? dialog->accept() : dialog->reject();
            });
            QCOMPARE(platform.inputBox(QStringLiteral("Prompt"), QStringLiteral("Title")),
                     accept ? pasted : QString());
        }
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
