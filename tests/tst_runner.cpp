// The Run menu's commands with the platform test double: script bytes on
// disk, the command lines handed to process start, and every message.
#include "runner/RunCommands.h"
#include "support/Editor.h"
#include "support/OtherAccounts.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <optional>
#include <tuple>

#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

QByteArray script(const QByteArray& commandLine) {
    return "@echo OFF\r\nclearscr\r\n" + commandLine + "\r\nkeypress";
}

PlatformCall onFile(const char* service, const char* file) {
    return {service, file, {}, -1};
}

// Whether a byte arrives on fd within the bound.
bool awaitByte(int fd, int milliseconds = 10000) {
    pollfd ready{fd, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, milliseconds) == 1 && ::read(fd, &byte, 1) == 1;
}

// Runs body in a child process and hands back what it returned, or "hung"
// when it has not returned within the bound: a command that blocks fails
// its row instead of stopping the suite.
QString boundedInChild(const std::function<QString()>& body) {
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        const QByteArray answer = body().toUtf8();
        const bool sent = ::write(channel[1], answer.constData(), size_t(answer.size())) ==
                          ssize_t(answer.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray answer;
    pollfd ready{channel[0], POLLIN, 0};
    char buffer[4096];
    ssize_t got = -1;
    while (::poll(&ready, 1, 10000) == 1 && (got = ::read(channel[0], buffer, sizeof buffer)) > 0)
        answer.append(buffer, got);
    ::close(channel[0]);
    if (got != 0) {
        ::kill(child, SIGKILL);
        answer = "hung";
    }
    ::waitpid(child, nullptr, 0);
    return QString::fromUtf8(answer);
}

// What a command told the user and started, as one text.
QString outcome(const FakePlatform& platform) {
    QStringList told;
    for (const PlatformCall& call : platform.callsOf("messageBox"))
        told.append(call.title + ": " + call.text);
    return told.join(" | ") + " started " + platform.started.join(", ");
}

const QHash<QString, QString> failureTitle{{"compile", "Can't compile"}, {"ncomp", "Can't compile"},
                                           {"exec", "Can't execute"},    {"nexec", "Can't execute"},
                                           {"comlne", "Can't run"},      {"compro", "Can't run"}};

} // namespace

class TestRunner : public QObject {
    Q_OBJECT

private slots:
    void init() {
        previousFolder_ = QDir::currentPath();
        QVERIFY(dir_.emplace().isValid() && QDir::setCurrent(dir_->path()));
    }

    void cleanup() { QDir::setCurrent(previousFolder_); }

    // Each command from the menu, on a document with the given title, with
    // the script of the same command already holding "old".
    void outcomes_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("fileTitle");
        QTest::addColumn<QString>("answer");  // to Command Line's question
        QTest::addColumn<QString>("failing"); // the platform call that fails with "no"
        QTest::addColumn<QString>("started");
        QTest::addColumn<QByteArray>("left"); // the script's bytes afterwards
        QTest::addColumn<QString>("message");
        const auto row = [](const QString& name, const char* command, const QString& fileTitle,
                            const char* started, const QByteArray& left,
                            const QString& message = {}, const char* failing = "",
                            const QString& answer = "ls \"a b\" \u00e9") {
            QTest::newRow(qPrintable(name))
                << QString(command) << fileTitle << answer << QString(failing) << QString(started)
                << left << message;
        };
        const QByteArray executed = script("java Hello");
        row("compile", "compile", "Hello.java", "temc.bat", script("javac Hello.java"));
        row("exec", "exec", "Hello.java", "temr.bat", executed);
        row("unquoted, allowed marks, one byte each", "compile", "My a+b@c,d=e-f_g.\u00e9.java",
            "temc.bat", script("javac My a+b@c,d=e-f_g.\xe9.java"));
        row("exec five characters", "exec", ".java", "temr.bat", script("java "));
        row("comlne untitled", "comlne", "", "temc.bat", script("ls \"a b\" \xe9"));
        row("comlne cancel", "comlne", "", "temc.bat", script(""), {}, "", "");
        row("compro untitled", "compro", "", "command.com", "old");
        // No shell reads these command lines, so any name may pass.
        row("ncomp", "ncomp", "a;b.java", "javac a;b.java", "old");
        row("nexec", "nexec", "Hello.java", "java Hello", "old");

        for (const char* command : {"compile", "ncomp", "exec", "nexec"})
            row(QString("untitled ") + command, command, "", "", "old", "The file isn't saved yet");
        for (const char* command : {"exec", "nexec"})
            row(QString("short title ") + command, command, "Main", "", "old",
                "No class name can be formed from the file name\rMain");
        // Whatever starts them, javac and java would read these as options.
        const auto option = [](const QString& name) {
            return "The file name cannot be used in a command line\r" + name +
                   "\rNo word of it may start with - or @";
        };
        for (const QString name : {"-jar evil.jar x.java", "-version.java", "x @args.java"})
            row("compile " + name, "compile", name, "", "old", option(name));
        for (const char* command : {"exec", "ncomp", "nexec"})
            row(command + QString(" -version.java"), command, "-version.java", "", "old",
                option("-version.java"));
        row("ncomp quoted option", "ncomp", "\"-d\" x.java", "", "old", option("\"-d\" x.java"));
        // Compile and Execute also put the name into a line that a shell reads.
        const auto unsafe = [](const QString& name) {
            return "The file name cannot be used in a command line\r" + name +
                   "\rOnly letters, digits, spaces and . _ - + @ , = are allowed";
        };
        QStringList names{"a;rm -rf ~.java", "$(curl x|sh).java", "a\u20acb.java", "a\u00a0b.java"};
        for (const char c : QByteArray(";$`\"'|&<>\\\t\n*?()[]{}~#!%^:/"))
            names.append(QStringLiteral("a%1b.java").arg(QLatin1Char(c)));
        for (const QString& name : names)
            row("compile " + name, "compile", name, "", "old", unsafe(name));
        row("exec a`b.java", "exec", "a`b.java", "", "old", unsafe("a`b.java"));

        for (const auto& [command, failing, message, left] :
             QList<std::tuple<const char*, const char*, const char*, QByteArray>>{
                 {"compile", "touch temc.bat", "temc.bat could not be created", "old"},
                 {"compile", "delete temc.bat", "temc.bat could not be deleted", "old"},
                 {"comlne", "write temc.bat", "temc.bat could not be written", ""},
                 {"exec", "start temr.bat", "temr.bat could not be started", executed},
                 {"compro", "start command.com", "command.com could not be started", "old"},
                 {"ncomp", "start javac Hello.java", "javac Hello.java could not be started",
                  "old"}})
            row(QString("%1 %2 fails").arg(command, failing), command, "Hello.java", "", left,
                message + QString("\rno"), failing);
    }

    void outcomes() {
        QFETCH(QString, command);
        QFETCH(QString, fileTitle);
        QFETCH(QString, answer);
        QFETCH(QString, failing);
        QFETCH(QString, started);
        QFETCH(QByteArray, left);
        QFETCH(QString, message);
        const QString name = command == "exec" ? "temr.bat" : "temc.bat";
        QVERIFY(writeBytes(name, "old"));
        Editor e;
        e.state().fileTitle = fileTitle;
        e.platform.inputAnswers.push_back(answer);
        e.platform.fail.insert(failing, "no");

        e.form.action(command)->trigger();

        const PlatformCall told{"messageBox", message, failureTitle[command], 64};
        QCOMPARE(e.platform.callsOf("messageBox"),
                 message.isEmpty() ? QList<PlatformCall>() : QList<PlatformCall>{told});
        QCOMPARE(e.platform.started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(filesIn("."), QStringList{name});
        QCOMPARE(readBytes(name), left);
    }

    // Scripts hold the locale's bytes: a file name or an answer reaches the
    // shell as it is on disk, and only what the code page cannot hold is
    // refused, before a byte of the script is written.
    void codePages_data() {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("input"); // the file title, or the Command Line answer
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QString>("message");
        const QString cyrillic = "\u041f\u0440\u0438\u0432\u0435\u0442";
        const QByteArray cyrillicBytes = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82";
        const QString outside = "The command line cannot be run\rIt holds \"\u041f\" (U+041F), a "
                                "character outside the code page";
        QTest::newRow("UTF-8 compile, Cyrillic name")
            << true << "compile" << cyrillic + ".java" << script("javac " + cyrillicBytes + ".java")
            << QString();
        QTest::newRow("UTF-8 exec, letters beyond the first plane, combining mark")
            << true << "exec"
            << "\U0001D400e\u0301X.java"
            << script("java \xf0\x9d\x90\x80"
                      "e\xcc\x81X")
            << QString();
        QTest::newRow("UTF-8 answer, any character")
            << true << "comlne"
            << "echo " + cyrillic + " \u20ac \U0001F600 * ?"
            << script("echo " + cyrillicBytes + " \xe2\x82\xac \xf0\x9f\x98\x80 * ?") << QString();
        QTest::newRow("UTF-8 answer, lone surrogate")
            << true << "comlne" << QString("echo ") + QChar(0xd83d) << QByteArray()
            << "The command line cannot be run\rIt holds \"\ufffd\" (U+D83D), a character "
               "outside the code page";
        QTest::newRow("UTF-8 answer, too long in bytes")
            << true << "comlne" << QString(65536, QChar(0x41f)) << QByteArray()
            << "The command line cannot be run\rIt takes 131072 bytes; at most 131071 can be run";
        QTest::newRow("single-byte compile, Cyrillic name")
            << false << "compile" << cyrillic + ".java" << QByteArray("old") << outside;
        QTest::newRow("single-byte answer, Cyrillic")
            << false << "comlne"
            << "rm -f " + cyrillic + ".txt" << QByteArray() << outside;
    }
    void codePages() {
        QFETCH(bool, utf8);
        QFETCH(QString, command);
        QFETCH(QString, input);
        QFETCH(QByteArray, left);
        QFETCH(QString, message);
        const QString name = command == "exec" ? "temr.bat" : "temc.bat";
        QVERIFY(writeBytes(name, "old"));
        Editor e(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
        e.state().fileTitle = input;
        e.platform.inputAnswers.push_back(input);
        e.form.action(command)->trigger();
        const QList<PlatformCall> shown{{"messageBox", message, failureTitle[command], 64}};
        QCOMPARE(e.platform.callsOf("messageBox"),
                 message.isEmpty() ? QList<PlatformCall>() : shown);
        QCOMPARE(e.platform.started, message.isEmpty() ? QStringList{name} : QStringList());
        QCOMPARE(readBytes(name), left);
    }

    // An answer that the script could not hold exactly is refused before a
    // byte is written: the old script is gone, the new one stays empty, and
    // nothing starts.
    void refusedAnswers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("outside the code page, would be a wildcard")
            << "rm -f \u041f\u0440\u0438\u0432\u0435\u0442.txt"
            << "It holds \"\u041f\" (U+041F), a character outside the code page";
        QTest::newRow("beyond the first plane, named whole")
            << "echo \U0001F600"
            << "It holds \"\U0001F600\" (U+1F600), a character outside the code page";
        QTest::newRow("pasted line feed")
            << "ls -l\ntouch X"
            << "It holds a line break, which would run as a second command";
        QTest::newRow("carriage return")
            << "ls\rtouch X"
            << "It holds a line break, which would run as a second command";
        QTest::newRow("NUL") << QString::fromLatin1("ls\0 -l", 6)
                             << "It holds a NUL character, which would cut it short";
        QTest::newRow("longer than a shell argument")
            << QString(128 * 1024, QLatin1Char('x'))
            << "It has 131072 characters; at most 131071 can be run";
    }
    void refusedAnswers() {
        QFETCH(QString, answer);
        QFETCH(QString, reason);
        QVERIFY(writeBytes("temc.bat", "old"));
        FakePlatform platform;
        platform.inputAnswers.push_back(answer);
        runner::comlne(platform);
        QCOMPARE(platform.callsOf("messageBox"),
                 (QList<PlatformCall>{{"messageBox", "The command line cannot be run\r" + reason,
                                       "Can't run", 64}}));
        QCOMPARE(platform.started, QStringList());
        QCOMPARE(readBytes("temc.bat"), QByteArray(""));
        // The longest line that can run goes in whole.
        platform.inputAnswers.push_back(QString(128 * 1024 - 1, QLatin1Char('y')));
        runner::comlne(platform);
        QCOMPARE(readBytes("temc.bat").size(), 31 + 128 * 1024 - 1);
        QCOMPARE(platform.started, QStringList{"temc.bat"});
    }

    void stepsInOrder() {
        FakePlatform platform;
        platform.inputAnswers.push_back(QString(500, QLatin1Char('x')));
        runner::comlne(platform);
        QCOMPARE(readBytes("temc.bat").size(), 531);
        runner::compile("Hello.java", platform);
        QCOMPARE(readBytes("temc.bat"), script("javac Hello.java"));
        const PlatformCall touch = onFile("touch", "temc.bat"),
                           remove = onFile("delete", "temc.bat"),
                           write = onFile("write", "temc.bat"), start = onFile("start", "temc.bat"),
                           ask{"inputBox", "Enter the command line to be executed", "Enter here",
                               -1};
        QVERIFY(runner::removeLaunchScripts(platform)); // temr.bat not there: still succeeds
        QCOMPARE(platform.calls,
                 (QList<PlatformCall>{touch, remove, touch, ask, write, start, touch, remove, touch,
                                      write, start, touch, onFile("touch", "temr.bat"), remove,
                                      onFile("delete", "temr.bat")}));
        QCOMPARE(filesIn("."), QStringList());
    }

    // Names that are no regular file: a link is never followed, nothing
    // is opened that could block, and closing still removes the names.
    void strangeScripts_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("Compile, dangling link")
            << "compile"
            << "link"
            << " started temc.bat" << QStringList{"temc.bat", "temr.bat"};
        QTest::newRow("Command Line, FIFO")
            << "comlne"
            << "fifo"
            << "Can't run: temc.bat could not be created\rIt is a named pipe, not a regular "
               "file started "
            << QStringList{"temc.bat", "temr.bat"};
        QTest::newRow("close, dangling links") << "close"
                                               << "link"
                                               << " started " << QStringList();
        QTest::newRow("close, FIFOs") << "close"
                                      << "fifo"
                                      << " started " << QStringList();
    }
    void strangeScripts() {
        QFETCH(QString, command);
        QFETCH(QString, kind);
        QFETCH(QString, outcome);
        QFETCH(QStringList, left);
        const QString elsewhere = dir_->filePath("elsewhere");
        QVERIFY(QDir().mkpath(elsewhere) && QDir().mkpath("work") && QDir::setCurrent("work"));
        for (const char* name : {"temc.bat", "temr.bat"}) {
            QVERIFY(kind == "link" ? QFile::link(elsewhere + "/" + name, name)
                                   : ::mkfifo(name, 0644) == 0);
        }
        const QString happened = boundedInChild([&command] {
            FakePlatform platform;
            platform.inputAnswers.push_back("echo hi");
            if (command == "close")
                runner::removeLaunchScripts(platform);
            else if (command == "compile")
                runner::compile("Hello.java", platform);
            else
                runner::comlne(platform);
            return ::outcome(platform);
        });
        QCOMPARE(happened, outcome);
        QCOMPARE(filesIn(elsewhere), QStringList());
        QCOMPARE(filesIn("."), left);
    }

    // In a folder shared with a group, another member swaps the script for
    // a link to the user's private file while Command Line asks.
    void linkPlantedWhileAsking() {
        QString why;
        const std::optional<OtherAccounts> accounts = OtherAccounts::get(&why);
        if (!accounts)
            QSKIP(qPrintable(why));
        const QByteArray shared = QFile::encodeName(dir_->filePath("class"));
        const QByteArray own = QFile::encodeName(dir_->filePath("alice"));
        const QByteArray notes = own + "/notes.txt";
        const QByteArray planted = shared + "/temc.bat";
        QVERIFY(openToOthers(dir_->path()));
        QVERIFY(::mkdir(shared, 0) == 0 && ::chown(shared, 0, accounts->shared) == 0 &&
                ::chmod(shared, 02770) == 0);
        QVERIFY(::mkdir(own, 0700) == 0 && writeBytes(QFile::decodeName(notes), "private notes"));
        QVERIFY(::chmod(notes, 0600) == 0);
        for (const QByteArray& path : {own, notes})
            QVERIFY(::chown(path, accounts->alice.uid, accounts->alice.gid) == 0);
        int go[2], swapped[2];
        QVERIFY(::pipe(go) == 0 && ::pipe(swapped) == 0);

        std::future<QString> bob = std::async(std::launch::async, [&] {
            return runAs(accounts->bob, accounts->shared, [&]() -> QString {
                if (!awaitByte(go[0]))
                    return "never asked";
                const bool done = ::unlink(planted) == 0 && ::symlink(notes, planted) == 0;
                return ::write(swapped[1], "s", 1) == 1 && done ? "swapped" : "no swap";
            });
        });
        const QString alice = runAs(accounts->alice, accounts->shared, [&] {
            FakePlatform platform;
            platform.inputAnswers.push_back("echo hi");
            platform.whileAsking = [&] {
                if (::write(go[1], "g", 1) != 1 || !awaitByte(swapped[0]))
                    platform.inputAnswers = {"bob did not answer"};
            };
            if (!QDir::setCurrent(QFile::decodeName(shared)))
                return QString("cannot enter the shared folder");
            runner::comlne(platform);
            return ::outcome(platform);
        });
        QCOMPARE(bob.get(), "swapped");
        for (const int fd : {go[0], go[1], swapped[0], swapped[1]})
            ::close(fd);
        QCOMPARE(alice, " started temc.bat");
        QCOMPARE(readBytes(QFile::decodeName(notes)), "private notes");
        QVERIFY(!QFileInfo(QFile::decodeName(planted)).isSymLink());
        QCOMPARE(readBytes(QFile::decodeName(planted)), script("echo hi"));
    }

    void conditionsNotice() {
        FakePlatform platform;
        runner::Condi(platform);
        QCOMPARE(platform.calls,
                 (QList<PlatformCall>{
                     {"messageBox",
                      "\rThe conditions are : \r\r"
                      "1. The filename must be same as that of the Class that contains main().\r"
                      "2. You must have made those changes in your System Properties that\r"
                      "    allow you to use javac and java from command line.\r"
                      "3. The file must be saved before compile or execute.",
                      "Conditions", 64}}));
    }

    void workingFolderFollowsFileDialog() {
        QVERIFY(QDir().mkpath("first") && QDir().mkpath("second"));
        QVERIFY(writeBytes("second/Hello.java", "class Hello {}\n"));
        QVERIFY(QDir::setCurrent("first"));
        Editor e;
        e.platform.inputAnswers.push_back("date");
        e.form.comlne();
        e.open(dir_->filePath("second/Hello.java"));
        e.form.compile();
        const QString second = dir_->filePath("second");
        QCOMPARE(readBytes(second + "/temc.bat"), script("javac Hello.java"));

        // A failed clean-up step is silent, the rest still run, and the window closes.
        e.platform.fail.insert("touch temr.bat", "read-only");
        QVERIFY(e.form.close());
        QCOMPARE(e.platform.callsOf("messageBox").size(), 0);
        QCOMPARE(filesIn(second), QStringList{"Hello.java"});
        QCOMPARE(filesIn(dir_->filePath("first")), QStringList{"temc.bat"});
    }

private:
    std::optional<QTemporaryDir> dir_; // a fresh working folder for each test
    QString previousFolder_;
};

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
