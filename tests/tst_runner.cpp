// The Run menu's commands with the platform test double: script bytes on
// disk, the command lines handed to process start, and every message.
#include "app/FontSettings.h"
#include "app/Form1.h"
#include "runner/RunCommands.h"
#include "support/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

using namespace tarnwick;
using tarnwick::test::FakePlatform;
using tarnwick::test::PlatformCall;

namespace {

QByteArray script(const QByteArray& commandLine) {
    return "@echo OFF\r\nclearscr\r\n" + commandLine + "\r\nkeypress";
}

using Command = std::function<void(const EditorState&, PlatformServices&)>;
const QHash<QString, Command> commands{
    {"compile", runner::compile},
    {"exec", runner::exec},
    {"ncomp", runner::ncomp},
    {"nexec", runner::nexec},
    {"comlne", [](const EditorState&, PlatformServices& platform) { runner::comlne(platform); }},
    {"compro", [](const EditorState&, PlatformServices& platform) { runner::compro(platform); }}};

void run(const QString& command, const EditorState& state, FakePlatform& platform) {
    QVERIFY(commands.contains(command));
    commands[command](state, platform);
}

EditorState titled(const QString& fileTitle) {
    EditorState state;
    state.fileTitle = fileTitle;
    return state;
}

QString titleOf(const QString& command) {
    if (command == "compile" || command == "ncomp")
        return "Can't compile";
    return command.endsWith("exec") ? "Can't execute" : "Can't run";
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

QList<PlatformCall> info(const QString& text, const QString& title) {
    return {{QStringLiteral("messageBox"), text, title, 64}};
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
        QTest::addColumn<QString>("answer");  // null: the input box is cancelled
        QTest::addColumn<QString>("failing"); // the step that fails: touch, delete, write or start
        QTest::addColumn<QString>("started"); // a script name or the command line; empty: none
        QTest::addColumn<QByteArray>("left"); // the script's bytes afterwards; it held "old"
        QTest::addColumn<QString>("message"); // the one message box, titled like the command
        const auto row = [](const QString& name, const char* command, const QString& fileTitle,
                            const char* started, const QByteArray& left,
                            const QString& message = {}, const char* failing = "",
                            const QString& answer = {}) {
            QTest::newRow(qPrintable(name))
                << QString(command) << fileTitle << answer << QString(failing) << QString(started)
                << left << message;
        };
        const QByteArray compiled = script("javac Hello.java"), executed = script("java Hello");
        row("compile", "compile", "Hello.java", "temc.bat", compiled);
        row("exec", "exec", "Hello.java", "temr.bat", executed);
        row("space stays unquoted", "compile", "My Prog.java", "temc.bat",
            script("javac My Prog.java"));
        row("allowed marks", "compile", "a+b@c,d=e-f_g.h.java", "temc.bat",
            script("javac a+b@c,d=e-f_g.h.java"));
        row("latin1 one byte each", "compile", "Caf\u00e9\u00df.java", "temc.bat",
            script("javac Caf\xe9\xdf.java"));
        row("exec five characters", "exec", ".java", "temr.bat", script("java "));
        row("exec other extension", "exec", "Test.txt", "temr.bat", script("java Tes"));
        row("comlne untitled", "comlne", "", "temc.bat", script("ls \"a b\""), {}, "",
            "ls \"a b\"");
        row("comlne outside code page", "comlne", "", "temc.bat", script("echo ?"), {}, "",
            "echo \u20ac");
        row("comlne cancel", "comlne", "", "temc.bat", script(""));
        row("compro untitled", "compro", "", "command.com", "old");
        row("ncomp", "ncomp", "Hello.java", "javac Hello.java", "old");
        row("nexec", "nexec", "Hello.java", "java Hello", "old");
        // No shell reads these command lines, so any name may pass.
        row("ncomp odd name", "ncomp", "a;b.java", "javac a;b.java", "old");

        for (const char* command : {"compile", "ncomp", "exec", "nexec"})
            row(QString("untitled ") + command, command, "", "", "old", "The file isn't saved yet");
        for (const char* command : {"exec", "nexec"})
            row(QString("short title ") + command, command, "Main", "", "old",
                "No class name can be formed from the file name\rMain");
        // Two classic injections, then one forbidden character at a time.
        QStringList names{"a;rm -rf ~.java", "$(curl x|sh).java", "\u03a9.java", "a\u20acb.java"};
        for (const char c : QByteArray(";$`\"'|&<>\\\t\n*?()[]{}~#!%^:/"))
            names.append(QStringLiteral("a%1b.java").arg(QLatin1Char(c)));
        for (const QString& name : names)
            for (const char* command : {"compile", "exec"})
                row(command + (" " + name), command, name, "", "old",
                    "The file name cannot be used in a command line\r" + name +
                        "\rOnly letters, digits, spaces and . _ - + @ , = are allowed");

        // A failure before the delete keeps the old script; after it, the new
        // empty one stays; a script written but not started stays written.
        const auto failure = [&row](const char* command, const char* failing, const char* message,
                                    const QByteArray& left) {
            row(QString("%1 %2 fails").arg(command, failing), command, "Hello.java", "", left,
                message, failing, "whatever");
        };
        failure("compile", "touch", "temc.bat could not be created\rno", "old");
        failure("compile", "delete", "temc.bat could not be deleted\rno", "old");
        failure("compile", "write", "temc.bat could not be written\rno", "");
        failure("compile", "start", "temc.bat could not be started\rno", compiled);
        failure("exec", "start", "temr.bat could not be started\rno", executed);
        failure("comlne", "delete", "temc.bat could not be deleted\rno", "old");
        failure("comlne", "write", "temc.bat could not be written\rno", "");
        failure("compro", "start", "command.com could not be started\rno", "old");
        failure("ncomp", "start", "javac Hello.java could not be started\rno", "old");
        failure("nexec", "start", "java Hello could not be started\rno", "old");
    }

    void outcomes() {
        QFETCH(QString, command);
        QFETCH(QString, fileTitle);
        QFETCH(QString, answer);
        QFETCH(QString, failing);
        QFETCH(QString, started);
        QFETCH(QByteArray, left);
        QFETCH(QString, message);
        // Given an old script from an earlier run.
        const QString name = command == "exec" ? "temr.bat" : "temc.bat";
        QVERIFY(writeBytes(name, "old"));
        FakePlatform platform;
        if (!answer.isNull())
            platform.inputAnswers.push_back(answer);
        if (failing == "start")
            platform.failStart = "no";
        else if (!failing.isEmpty())
            (failing == "touch"    ? platform.failTouch
             : failing == "delete" ? platform.failDelete
                                   : platform.failWrite)
                .insert(name, "no");

        run(command, titled(fileTitle), platform);

        const QList<PlatformCall> messages =
            message.isEmpty() ? QList<PlatformCall>() : info(message, titleOf(command));
        // A refused command does nothing but tell why.
        QCOMPARE(started.isEmpty() && failing.isEmpty() ? platform.calls
                                                        : platform.callsOf("messageBox"),
                 messages);
        QCOMPARE(platform.started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(files(), QStringList{name});
        QCOMPARE(contents(name), left);
        // Command Line asks only once the old script is gone.
        QCOMPARE(platform.callsOf("inputBox").size(), command == "comlne" && left != "old" ? 1 : 0);
    }

    void stepsInOrder() {
        // Command Line asks only once the old script is gone and an empty one
        // stands in its place; a short script after a long one keeps no old bytes.
        FakePlatform platform;
        platform.inputAnswers.push_back(QString(500, QLatin1Char('x')));
        runner::comlne(platform);
        QCOMPARE(contents("temc.bat").size(), 531);
        runner::compile(titled("Hello.java"), platform);
        QCOMPARE(contents("temc.bat"), script("javac Hello.java"));
        const PlatformCall touch = onFile("touch", "temc.bat"),
                           remove = onFile("delete", "temc.bat"),
                           write = onFile("write", "temc.bat"), start = onFile("start", "temc.bat"),
                           ask{"inputBox", "Enter the command line to be executed", "Enter here",
                               -1};
        QCOMPARE(platform.calls, (QList<PlatformCall>{touch, remove, touch, ask, write, start, //
                                                      touch, remove, touch, write, start}));
    }

    void conditionsNotice() {
        FakePlatform platform;
        runner::Condi(platform);
        const QString expected =
            "\rThe conditions are : \r\r"
            "1. The filename must be same as that of the Class that contains main().\r"
            "2. You must have made those changes in your System Properties that\r"
            "    allow you to use javac and java from command line.\r"
            "3. The file must be saved before compile or execute.";
        QCOMPARE(platform.calls, info(expected, "Conditions"));
    }

    void removeLaunchScripts() {
        FakePlatform platform;
        QVERIFY(runner::removeLaunchScripts(platform)); // none there: still succeeds
        QCOMPARE(platform.calls,
                 (QList<PlatformCall>{onFile("touch", "temc.bat"), onFile("touch", "temr.bat"),
                                      onFile("delete", "temc.bat"), onFile("delete", "temr.bat")}));
        QCOMPARE(files(), QStringList());
    }

    void workingFolderFollowsFileDialog() {
        // Given a script written in the start-up folder, then a file opened in
        // another folder.
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
        QCOMPARE(form1.state().fileTitle, QString("Hello.java"));

        form1.compile();
        form1.exec();
        const QString second = dir_->filePath("second");
        QCOMPARE(contents(second + "/temc.bat"), script("javac Hello.java"));
        QCOMPARE(contents(second + "/temr.bat"), script("java Hello"));

        QVERIFY(form1.close());
        QCOMPARE(files(second), QStringList{"Hello.java"});
        QCOMPARE(files(dir_->filePath("first")), QStringList{"temc.bat"});
    }

    void closeIgnoresCleanupFailure() {
        // Every failed step is silent, the rest still run, and the window closes.
        QVERIFY(writeBytes("temc.bat", "c") && writeBytes("temr.bat", "r"));
        FakePlatform platform;
        platform.failTouch.insert("temr.bat", "read-only");
        platform.failDelete.insert("temc.bat", "read-only");
        FontSettings fontSettings;
        Form1 form1(platform, fontSettings);
        QVERIFY(form1.close());
        QCOMPARE(platform.callsOf("messageBox").size(), 0);
        QCOMPARE(files(), QStringList{"temc.bat"});
    }

private:
    std::optional<QTemporaryDir> dir_; // a fresh working folder for each test
    QString previousFolder_;
};

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
