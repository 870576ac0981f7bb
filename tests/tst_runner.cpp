// The Run menu's commands with the platform test double: script bytes on
// disk, the command lines handed to process start, and every message.
#include "app/Form1.h"
#include "runner/RunCommands.h"
#include "state/FontSettings.h"
#include "support/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <tuple>

using namespace tarnwick;
using tarnwick::test::FakePlatform;
using tarnwick::test::PlatformCall;

namespace {

QByteArray script(const QByteArray& commandLine) {
    return "@echo OFF\r\nclearscr\r\n" + commandLine + "\r\nkeypress";
}

void run(const QString& c, const QString& fileTitle, FakePlatform& platform) {
    if (c == "comlne" || c == "compro")
        return (c == "comlne" ? runner::comlne : runner::compro)(platform);
    (c == "compile" ? runner::compile
     : c == "exec"  ? runner::exec
     : c == "ncomp" ? runner::ncomp
                    : runner::nexec)(fileTitle, platform);
}

// The file's bytes, or a null array when it does not exist.
QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

PlatformCall onFile(const char* service, const char* file) {
    return {service, file, {}, -1};
}

QStringList files(const QString& folder = ".") {
    return QDir(folder).entryList(QDir::Files);
}

} // namespace

class TestRunner : public QObject {
    Q_OBJECT

private slots:
    void init() {
        previousFolder_ = QDir::currentPath();
        QVERIFY(dir_.emplace().isValid() && QDir::setCurrent(dir_->path()));
    }

    void cleanup() { QDir::setCurrent(previousFolder_); }

    void outcomes_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("fileTitle");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QByteArray>("left"); // the script's bytes afterwards; it held "old"
        QTest::addColumn<QString>("message");
        const auto row = [](const QString& name, const char* command, const QString& fileTitle,
                            const char* started, const QByteArray& left,
                            const QString& message = {}, const char* failing = "") {
            QTest::newRow(qPrintable(name)) << QString(command) << fileTitle << QString(failing)
                                            << QString(started) << left << message;
        };
        const QByteArray executed = script("java Hello");
        row("compile", "compile", "Hello.java", "temc.bat", script("javac Hello.java"));
        row("exec", "exec", "Hello.java", "temr.bat", executed);
        row("unquoted, allowed marks, one byte each", "compile", "My a+b@c,d=e-f_g.\u00e9.java",
            "temc.bat", script("javac My a+b@c,d=e-f_g.\xe9.java"));
        row("exec five characters", "exec", ".java", "temr.bat", script("java "));
        row("comlne untitled", "comlne", "", "temc.bat", script("ls \"a b\" \xe9"));
        row("comlne cancel", "comlne", "", "temc.bat", script(""));
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
        for (const char* command : {"compile", "exec", "ncomp", "nexec"})
            for (const QString name : {"-jar evil.jar x.java", "-version.java", "x @args.java"})
                row(command + (" " + name), command, name, "", "old",
                    "The file name cannot be used in a command line\r" + name +
                        "\rNo word of it may start with - or @");
        row("ncomp quoted option", "ncomp", "\"-d\" x.java", "", "old",
            "The file name cannot be used in a command line\r\"-d\" x.java\r"
            "No word of it may start with - or @");
        QStringList names{"a;rm -rf ~.java", "$(curl x|sh).java", "a\u20acb.java", "a\u00a0b.java"};
        for (const char c : QByteArray(";$`\"'|&<>\\\t\n*?()[]{}~#!%^:/"))
            names.append(QStringLiteral("a%1b.java").arg(QLatin1Char(c)));
        for (const QString& name : names)
            for (const char* command : {"compile", "exec"})
                row(command + (" " + name), command, name, "", "old",
                    "The file name cannot be used in a command line\r" + name +
                        "\rOnly letters, digits, spaces and . _ - + @ , = are allowed");

        for (const auto& [command, failing, message, left] :
             QList<std::tuple<const char*, const char*, const char*, QByteArray>>{
                 {"compile", "touch", "temc.bat could not be created", "old"},
                 {"compile", "delete", "temc.bat could not be deleted", "old"},
                 {"comlne", "write", "temc.bat could not be written", ""},
                 {"exec", "start", "temr.bat could not be started", executed},
                 {"compro", "start", "command.com could not be started", "old"},
                 {"ncomp", "start", "javac Hello.java could not be started", "old"}})
            row(QString("%1 %2 fails").arg(command, failing), command, "Hello.java", "", left,
                message + QString("\rno"), failing);
    }

    void outcomes() {
        QFETCH(QString, command);
        QFETCH(QString, fileTitle);
        QFETCH(QString, failing);
        QFETCH(QString, started);
        QFETCH(QByteArray, left);
        QFETCH(QString, message);
        const QString name = command == "exec" ? "temr.bat" : "temc.bat";
        QVERIFY(writeBytes(name, "old"));
        FakePlatform platform;
        if (QTest::currentDataTag() != QByteArray("comlne cancel"))
            platform.inputAnswers.push_back("ls \"a b\" \u00e9");
        if (failing == "start")
            platform.failStart = "no";
        else if (!failing.isEmpty())
            (failing == "touch"    ? platform.failTouch
             : failing == "delete" ? platform.failDelete
                                   : platform.failWrite)
                .insert(name, "no");

        run(command, fileTitle, platform);

        const QString title = command == "comlne" || command == "compro" ? "Can't run"
                              : command.endsWith("exec")                 ? "Can't execute"
                                                                         : "Can't compile";
        const QList<PlatformCall> messages =
            message.isEmpty() ? QList<PlatformCall>()
                              : QList<PlatformCall>{{"messageBox", message, title, 64}};
        QCOMPARE(started.isEmpty() && failing.isEmpty() ? platform.calls
                                                        : platform.callsOf("messageBox"),
                 messages);
        QCOMPARE(platform.started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(files(), QStringList{name});
        QCOMPARE(contents(name), left);
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
        FakePlatform platform(utf8 ? CodePage::Utf8 : CodePage::SingleByte);
        platform.inputAnswers.push_back(input);
        run(command, input, platform);
        const QString title = command == "comlne" ? "Can't run"
                              : command == "exec" ? "Can't execute"
                                                  : "Can't compile";
        const QList<PlatformCall> shown{{"messageBox", message, title, 64}};
        QCOMPARE(platform.callsOf("messageBox"), message.isEmpty() ? QList<PlatformCall>() : shown);
        QCOMPARE(platform.started, message.isEmpty() ? QStringList{name} : QStringList());
        QCOMPARE(contents(name), left);
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
        QCOMPARE(contents("temc.bat"), QByteArray(""));
        // The longest line that can run goes in whole.
        platform.inputAnswers.push_back(QString(128 * 1024 - 1, QLatin1Char('y')));
        runner::comlne(platform);
        QCOMPARE(contents("temc.bat").size(), 31 + 128 * 1024 - 1);
        QCOMPARE(platform.started, QStringList{"temc.bat"});
    }

    void stepsInOrder() {
        FakePlatform platform;
        platform.inputAnswers.push_back(QString(500, QLatin1Char('x')));
        runner::comlne(platform);
        QCOMPARE(contents("temc.bat").size(), 531);
        run("compile", "Hello.java", platform);
        QCOMPARE(contents("temc.bat"), script("javac Hello.java"));
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
        QCOMPARE(files(), QStringList());
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
        FakePlatform platform;
        FontSettings fontSettings;
        Form1 form1(platform, fontSettings);
        platform.inputAnswers.push_back("date");
        form1.comlne();
        platform.openAnswers.push_back(FakePlatform::choose(dir_->filePath("second/Hello.java")));
        form1.open();
        form1.compile();
        const QString second = dir_->filePath("second");
        QCOMPARE(contents(second + "/temc.bat"), script("javac Hello.java"));

        // A failed clean-up step is silent, the rest still run, and the window closes.
        platform.failTouch.insert("temr.bat", "read-only");
        QVERIFY(form1.close());
        QCOMPARE(platform.callsOf("messageBox").size(), 0);
        QCOMPARE(files(second), QStringList{"Hello.java"});
        QCOMPARE(files(dir_->filePath("first")), QStringList{"temc.bat"});
    }

private:
    std::optional<QTemporaryDir> dir_; // a fresh working folder for each test
    QString previousFolder_;
};

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
