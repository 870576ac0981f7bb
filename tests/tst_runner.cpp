// The Run menu's commands with the platform test double: script bytes on
// disk, the command lines handed to process start, and every message.
#include "app/FontSettings.h"
#include "app/Form1.h"
#include "runner/LaunchScript.h"
#include "runner/RunCommands.h"
#include "runner/RunnerTexts.h"
#include "support/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwick;
using tarnwick::test::FakePlatform;
using tarnwick::test::PlatformCall;

namespace {

const QByteArray head = "@echo OFF\r\nclearscr\r\n";
const QByteArray tail = "\r\nkeypress";

// Runs the Run menu command of the given name.
void run(const QString& command, const EditorState& state, FakePlatform& platform) {
    if (command == "compile")
        runner::compile(state, platform);
    else if (command == "exec")
        runner::exec(state, platform);
    else if (command == "comlne")
        runner::comlne(platform);
    else if (command == "compro")
        runner::compro(platform);
    else if (command == "ncomp")
        runner::ncomp(state, platform);
    else if (command == "nexec")
        runner::nexec(state, platform);
    else
        QFAIL("unknown command");
}

// The file's bytes, or a null array when it does not exist.
QByteArray contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

PlatformCall info(const QString& text, const QString& title) {
    return {QStringLiteral("messageBox"), text, title, 64};
}

} // namespace

class TestRunner : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scriptBytes_data();
    void scriptBytes();
    void commandLines_data();
    void commandLines();
    void scriptStepsInOrder();
    void commandLineAsksAfterOldScriptIsGone();
    void shortScriptLeavesNoOldBytes();
    void untitledRefusals_data();
    void untitledRefusals();
    void refusedNames_data();
    void refusedNames();
    void shortTitle_data();
    void shortTitle();
    void failures_data();
    void failures();
    void conditionsNotice();
    void removeLaunchScripts();
    void removeCarriesOnAfterFailure();
    void workingFolderFollowsFileDialog();
    void closeIgnoresCleanupFailure();

private:
    QTemporaryDir dir_;
    QString previousFolder_;
};

void TestRunner::init() {
    QVERIFY(dir_.isValid());
    QDir(dir_.path()).removeRecursively();
    QVERIFY(QDir().mkpath(dir_.path()));
    previousFolder_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_.path()));
}

void TestRunner::cleanup() {
    QDir::setCurrent(previousFolder_);
}

void TestRunner::scriptBytes_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("compile") << "javac Hello.java" << head + "javac Hello.java" + tail;
    QTest::newRow("execute") << "java Hello" << head + "java Hello" + tail;
    QTest::newRow("empty") << "" << head + tail;
    QTest::newRow("latin1 stays one byte")
        << "javac Caf\u00e9.java" << head + "javac Caf\xe9.java" + tail;
    QTest::newRow("outside code page becomes ?") << "echo \u20ac" << head + "echo ?" + tail;
}

void TestRunner::scriptBytes() {
    QFETCH(QString, commandLine);
    QFETCH(QByteArray, expected);
    const QByteArray bytes = runner::launchScriptBytes(commandLine);
    QCOMPARE(bytes, expected);
    QCOMPARE(bytes.size(), 31 + commandLine.size());
}

void TestRunner::commandLines_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fileTitle");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("started");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("scriptBytes");

    QTest::newRow("compile") << "compile"
                             << "Hello.java"
                             << ""
                             << "temc.bat"
                             << "temc.bat" << head + "javac Hello.java" + tail;
    QTest::newRow("exec") << "exec"
                          << "Hello.java"
                          << ""
                          << "temr.bat"
                          << "temr.bat" << head + "java Hello" + tail;
    QTest::newRow("compile with space, unquoted")
        << "compile"
        << "My Prog.java"
        << ""
        << "temc.bat"
        << "temc.bat" << head + "javac My Prog.java" + tail;
    QTest::newRow("compile allowed marks")
        << "compile"
        << "a+b@c,d=e-f_g.h.java"
        << ""
        << "temc.bat"
        << "temc.bat" << head + "javac a+b@c,d=e-f_g.h.java" + tail;
    QTest::newRow("compile latin1 letters") << "compile"
                                            << "Caf\u00e9\u00df.java"
                                            << ""
                                            << "temc.bat"
                                            << "temc.bat" << head + "javac Caf\xe9\xdf.java" + tail;
    QTest::newRow("exec five characters") << "exec"
                                          << ".java"
                                          << ""
                                          << "temr.bat"
                                          << "temr.bat" << head + "java " + tail;
    QTest::newRow("exec other extension") << "exec"
                                          << "Test.txt"
                                          << ""
                                          << "temr.bat"
                                          << "temr.bat" << head + "java Tes" + tail;
    QTest::newRow("comlne answer") << "comlne"
                                   << "Hello.java"
                                   << "ls -l \"a b\""
                                   << "temc.bat"
                                   << "temc.bat" << head + "ls -l \"a b\"" + tail;
    QTest::newRow("comlne untitled") << "comlne"
                                     << ""
                                     << "date"
                                     << "temc.bat"
                                     << "temc.bat" << head + "date" + tail;
    // An unscripted input box answers as Cancel does: the empty string.
    QTest::newRow("comlne cancel") << "comlne"
                                   << "" << QString() << "temc.bat"
                                   << "temc.bat" << head + tail;
    QTest::newRow("compro untitled") << "compro"
                                     << ""
                                     << ""
                                     << "command.com"
                                     << "" << QByteArray();
    QTest::newRow("ncomp") << "ncomp"
                           << "Hello.java"
                           << ""
                           << "javac Hello.java"
                           << "" << QByteArray();
    QTest::newRow("nexec") << "nexec"
                           << "Hello.java"
                           << ""
                           << "java Hello"
                           << "" << QByteArray();
    QTest::newRow("nexec five characters") << "nexec"
                                           << ".java"
                                           << ""
                                           << "java "
                                           << "" << QByteArray();
    // No shell reads these command lines, so any name may pass.
    QTest::newRow("ncomp odd name") << "ncomp"
                                    << "a;b.java"
                                    << ""
                                    << "javac a;b.java"
                                    << "" << QByteArray();
}

void TestRunner::commandLines() {
    QFETCH(QString, command);
    QFETCH(QString, fileTitle);
    QFETCH(QString, answer);
    QFETCH(QString, started);
    QFETCH(QString, script);
    QFETCH(QByteArray, scriptBytes);

    FakePlatform platform;
    if (!answer.isNull())
        platform.inputAnswers.push_back(answer);
    EditorState state;
    state.fileTitle = fileTitle;
    state.filePath = fileTitle.isEmpty() ? QString() : dir_.filePath(fileTitle);
    const EditorState before = state;

    run(command, state, platform);

    QCOMPARE(platform.started, QStringList{started});
    QCOMPARE(platform.callsOf("messageBox").size(), 0);
    if (!script.isEmpty())
        QCOMPARE(contents(script), scriptBytes);
    QCOMPARE(QDir().entryList(QDir::Files), script.isEmpty() ? QStringList() : QStringList{script});
    QCOMPARE(state.fileTitle, before.fileTitle);
    QCOMPARE(state.filePath, before.filePath);
}

void TestRunner::scriptStepsInOrder() {
    FakePlatform platform;
    EditorState state;
    state.fileTitle = "Hello.java";
    runner::compile(state, platform);
    const QList<PlatformCall> expected{{"touch", "temc.bat", {}, -1},
                                       {"delete", "temc.bat", {}, -1},
                                       {"touch", "temc.bat", {}, -1},
                                       {"write", "temc.bat", {}, -1},
                                       {"start", "temc.bat", {}, -1}};
    QCOMPARE(platform.calls, expected);
}

void TestRunner::commandLineAsksAfterOldScriptIsGone() {
    FakePlatform platform;
    platform.inputAnswers.push_back("javac X.java");
    runner::comlne(platform);
    const QList<PlatformCall> expected{
        {"touch", "temc.bat", {}, -1},
        {"delete", "temc.bat", {}, -1},
        {"touch", "temc.bat", {}, -1},
        {"inputBox", "Enter the command line to be executed", "Enter here", -1},
        {"write", "temc.bat", {}, -1},
        {"start", "temc.bat", {}, -1}};
    QCOMPARE(platform.calls, expected);
}

void TestRunner::shortScriptLeavesNoOldBytes() {
    FakePlatform platform;
    platform.inputAnswers.push_back(QString(500, QLatin1Char('x')));
    runner::comlne(platform);
    QCOMPARE(contents("temc.bat").size(), 531);

    EditorState state;
    state.fileTitle = "Hello.java";
    runner::compile(state, platform);
    QCOMPARE(contents("temc.bat"), head + "javac Hello.java" + tail);
    QCOMPARE(platform.started, (QStringList{"temc.bat", "temc.bat"}));
}

void TestRunner::untitledRefusals_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("title");
    QTest::newRow("compile") << "compile"
                             << "Can't compile";
    QTest::newRow("ncomp") << "ncomp"
                           << "Can't compile";
    QTest::newRow("exec") << "exec"
                          << "Can't execute";
    QTest::newRow("nexec") << "nexec"
                           << "Can't execute";
}

void TestRunner::untitledRefusals() {
    QFETCH(QString, command);
    QFETCH(QString, title);
    // Given scripts from an earlier document, then New (untitled again).
    FakePlatform platform;
    QVERIFY(QFile("temc.bat").open(QIODevice::WriteOnly));
    EditorState state;
    run(command, state, platform);
    QCOMPARE(platform.calls, (QList<PlatformCall>{info("The file isn't saved yet", title)}));
    // Nothing deleted, nothing written.
    QCOMPARE(QDir().entryList(QDir::Files), QStringList{"temc.bat"});
}

void TestRunner::refusedNames_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fileTitle");
    QTest::addColumn<QString>("title");
    // Two classic injections, then one forbidden character at a time.
    QStringList names{"a;rm -rf ~.java", "$(curl x|sh).java", "\u03a9.java", "a\u20acb.java"};
    for (const char c : QByteArray(";$`\"'|&<>\\\t\n*?()[]{}~#!%^:/"))
        names.append(QStringLiteral("a%1b.java").arg(QLatin1Char(c)));
    for (const QString& name : names) {
        QTest::addRow("compile %s", qPrintable(name)) << "compile" << name << "Can't compile";
        QTest::addRow("exec %s", qPrintable(name)) << "exec" << name << "Can't execute";
    }
}

void TestRunner::refusedNames() {
    QFETCH(QString, command);
    QFETCH(QString, fileTitle);
    QFETCH(QString, title);
    FakePlatform platform;
    EditorState state;
    state.fileTitle = fileTitle;
    run(command, state, platform);
    const QString text = "The file name cannot be used in a command line\r" + fileTitle +
                         "\rOnly letters, digits, spaces and . _ - + @ , = are allowed";
    QCOMPARE(platform.calls, (QList<PlatformCall>{info(text, title)}));
    QCOMPARE(QDir().entryList(QDir::Files), QStringList());
}

void TestRunner::shortTitle_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("exec") << "exec";
    QTest::newRow("nexec") << "nexec";
}

void TestRunner::shortTitle() {
    QFETCH(QString, command);
    FakePlatform platform;
    EditorState state;
    state.fileTitle = "Main";
    run(command, state, platform);
    QCOMPARE(platform.calls,
             (QList<PlatformCall>{
                 info("No class name can be formed from the file name\rMain", "Can't execute")}));
    QCOMPARE(QDir().entryList(QDir::Files), QStringList());
}

void TestRunner::failures_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("failing"); // service that fails: touch, delete, write, start
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("left"); // the script's bytes afterwards
    QTest::addColumn<bool>("asked");

    const auto row = [](const char* command, const char* failing, const char* text,
                        const char* title, const QByteArray& left, bool asked = false) {
        QTest::addRow("%s %s", command, failing)
            << QString(command) << QString(failing) << QString(text) << QString(title) << left
            << asked;
    };
    // A failure before the delete keeps the old script; after it, the new
    // empty one stays; a script written but not started stays written.
    const QByteArray old = "old", empty = "";
    row("compile", "touch", "temc.bat could not be created\rno", "Can't compile", old);
    row("compile", "delete", "temc.bat could not be deleted\rno", "Can't compile", old);
    row("compile", "write", "temc.bat could not be written\rno", "Can't compile", empty);
    row("compile", "start", "temc.bat could not be started\rno", "Can't compile",
        head + "javac Hello.java" + tail);
    row("exec", "write", "temr.bat could not be written\rno", "Can't execute", empty);
    row("exec", "start", "temr.bat could not be started\rno", "Can't execute",
        head + "java Hello" + tail);
    row("comlne", "delete", "temc.bat could not be deleted\rno", "Can't run", old);
    row("comlne", "write", "temc.bat could not be written\rno", "Can't run", empty, true);
    row("compro", "start", "command.com could not be started\rno", "Can't run", old);
    row("ncomp", "start", "javac Hello.java could not be started\rno", "Can't compile", old);
    row("nexec", "start", "java Hello could not be started\rno", "Can't execute", old);
}

void TestRunner::failures() {
    QFETCH(QString, command);
    QFETCH(QString, failing);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QByteArray, left);
    QFETCH(bool, asked);

    const QString script = command == "exec" ? "temr.bat" : "temc.bat";
    FakePlatform platform;
    platform.inputAnswers.push_back("whatever");
    if (failing == "touch")
        platform.failTouch.insert(script, "no");
    else if (failing == "delete")
        platform.failDelete.insert(script, "no");
    else if (failing == "write")
        platform.failWrite.insert(script, "no");
    else
        platform.failStart = "no";
    // Given an old script from an earlier run.
    QFile old(script);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    EditorState state;
    state.fileTitle = "Hello.java";
    run(command, state, platform);

    QCOMPARE(platform.callsOf("messageBox"), (QList<PlatformCall>{info(text, title)}));
    QCOMPARE(platform.callsOf("inputBox").size(), asked ? 1 : 0);
    QCOMPARE(platform.started, QStringList());
    QCOMPARE(contents(script), left);
}

void TestRunner::conditionsNotice() {
    FakePlatform platform;
    runner::Condi(platform);
    const QString expected =
        "\rThe conditions are : \r\r"
        "1. The filename must be same as that of the Class that contains main().\r"
        "2. You must have made those changes in your System Properties that\r"
        "    allow you to use javac and java from command line.\r"
        "3. The file must be saved before compile or execute.";
    QCOMPARE(platform.calls, (QList<PlatformCall>{info(expected, "Conditions")}));
    QVERIFY(!expected.contains(QLatin1Char('\n')));
}

void TestRunner::removeLaunchScripts() {
    FakePlatform platform;
    QVERIFY(runner::removeLaunchScripts(platform)); // none there: still succeeds
    EditorState state;
    state.fileTitle = "Hello.java";
    runner::compile(state, platform);
    runner::exec(state, platform);
    platform.clearCalls();
    QVERIFY(runner::removeLaunchScripts(platform));
    const QList<PlatformCall> expected{{"touch", "temc.bat", {}, -1},
                                       {"touch", "temr.bat", {}, -1},
                                       {"delete", "temc.bat", {}, -1},
                                       {"delete", "temr.bat", {}, -1}};
    QCOMPARE(platform.calls, expected);
    QCOMPARE(QDir().entryList(QDir::Files), QStringList());
}

void TestRunner::removeCarriesOnAfterFailure() {
    FakePlatform platform;
    platform.failDelete.insert("temc.bat", "busy");
    QVERIFY(!runner::removeLaunchScripts(platform));
    QCOMPARE(platform.callsOf("messageBox").size(), 0);
    QCOMPARE(QDir().entryList(QDir::Files), QStringList{"temc.bat"});
}

void TestRunner::workingFolderFollowsFileDialog() {
    // Given a script written in the start-up folder, then a file opened in
    // another folder.
    QVERIFY(QDir().mkpath(dir_.filePath("first")));
    QVERIFY(QDir().mkpath(dir_.filePath("second")));
    QVERIFY(QDir::setCurrent(dir_.filePath("first")));
    QFile source(dir_.filePath("second/Hello.java"));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write("class Hello {}\n");
    source.close();

    FakePlatform platform;
    FontSettings fontSettings;
    Form1 form1(platform, fontSettings);
    platform.inputAnswers.push_back("date");
    form1.comlne();
    platform.openAnswers.push_back(FakePlatform::choose(dir_.filePath("second/Hello.java")));
    form1.open();
    QCOMPARE(form1.state().fileTitle, QString("Hello.java"));

    form1.compile();
    form1.exec();
    const QDir second(dir_.filePath("second"));
    QCOMPARE(contents(second.filePath("temc.bat")), head + "javac Hello.java" + tail);
    QCOMPARE(contents(second.filePath("temr.bat")), head + "java Hello" + tail);

    QVERIFY(form1.close());
    QCOMPARE(second.entryList(QDir::Files), QStringList{"Hello.java"});
    QCOMPARE(QDir(dir_.filePath("first")).entryList(QDir::Files), QStringList{"temc.bat"});
}

void TestRunner::closeIgnoresCleanupFailure() {
    FakePlatform platform;
    platform.failTouch.insert("temc.bat", "read-only");
    platform.failDelete.insert("temr.bat", "read-only");
    FontSettings fontSettings;
    Form1 form1(platform, fontSettings);
    QVERIFY(form1.close());
    QCOMPARE(platform.callsOf("messageBox").size(), 0);
    QCOMPARE(platform.callsOf("delete").size(), 2);
}

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
