// The script runner: what it makes of a script's bytes, and the built runner
// on real scripts, where a line holding NUL must run no part of itself.
#include "BatchScript.h"
#include "runner/LaunchScript.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwick;

namespace {

// Keeps the NUL bytes a plain literal would end at.
template <std::size_t N> QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, qsizetype(N - 1));
}

// One step as "2 > ls" (echoed), "2 @ ls" (hidden) or "2 refused".
QByteArrayList described(const std::vector<batch::Step>& steps) {
    QByteArrayList out;
    for (const batch::Step& step : steps) {
        const QByteArray number = QByteArray::number(step.lineNumber);
        out.append(step.refused ? number + " refused"
                                : number + (step.echoed ? " > " : " @ ") +
                                      QByteArray::fromStdString(step.command));
    }
    return out;
}

const QString helpers = qEnvironmentVariable("TARNWICK_HELPER_DIR");

} // namespace

class TestBatchScript : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArrayList>("steps");
        QTest::newRow("echoed lines, CR LF or LF")
            << bytes("echo one\r\nfalse\npwd")
            << QByteArrayList{"1 > echo one", "2 > false", "3 > pwd"};
        QTest::newRow("@ hides one line")
            << bytes("@ls -l\r\npwd\r\n") << QByteArrayList{"1 @ ls -l", "2 > pwd"};
        QTest::newRow("echo off and on, any case, even hidden")
            << bytes("@echo OFF\r\nls\r\nECHO On\r\npwd\r\n\techo off \r\ndate")
            << QByteArrayList{"2 @ ls", "4 > pwd", "6 @ date"};
        QTest::newRow("blank lines skipped, blanks trimmed")
            << bytes(" \t\r\n\r\n\t javac  A.java \t\r\n@\r\n@ \r\n")
            << QByteArrayList{"3 > javac  A.java"};
        // Only the CR of a CR LF is a line break; "@" counts only in front.
        QTest::newRow("lone CR and late @ kept")
            << bytes("a\rb\r\r\n @c") << QByteArrayList{"1 > a\rb\r", "2 > @c"};
        // The script holds the locale's bytes, as the file names on disk do.
        QTest::newRow("bytes reach the shell unchanged")
            << bytes("javac Caf\xe9.java\r\njavac \xd0\x9f\xd1\x80.java")
            << QByteArrayList{"1 > javac Caf\xe9.java", "2 > javac \xd0\x9f\xd1\x80.java"};
        QTest::newRow("NUL line refused, the next runs")
            << bytes("touch a\0b\r\n@pwd") << QByteArrayList{"1 refused", "2 @ pwd"};
        QTest::newRow("NUL anywhere refuses the whole line")
            << bytes("\0\r\n@echo OFF\0\r\nls\r\n\t\0\r\nls \0\r\n")
            << QByteArrayList{"1 refused", "2 refused", "3 > ls", "4 refused", "5 refused"};
        QTest::newRow("launch script")
            << runner::launchScriptBytes("javac Hello.java", CodePage::Utf8)
            << QByteArrayList{"2 @ clearscr", "3 @ javac Hello.java", "4 @ keypress"};
    }

    void parse() {
        QFETCH(QByteArray, script);
        QFETCH(QByteArrayList, steps);
        QCOMPARE(described(batch::parseScript({script.constData(), std::size_t(script.size())})),
                 steps);
    }

    void title_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("launch script")
            << QByteArray("temc.bat")
            << runner::launchScriptBytes("javac Hello.java", CodePage::Utf8)
            << QByteArray("temc.bat - javac Hello.java");
        QTest::newRow("empty command line")
            << QByteArray("temc.bat") << runner::launchScriptBytes("", CodePage::Utf8)
            << QByteArray("temc.bat");
        QTest::newRow("several commands, a refused line")
            << QByteArray("t.bat") << bytes("echo a\r\nCLEARSCR\r\nls\0x\r\n@pwd")
            << QByteArray("t.bat - echo a & pwd");
        // An escape, BEL or C1 control would end the title's own sequence.
        QTest::newRow("controls blanked")
            << QByteArray("t.bat") << bytes("a\x1b]2;x\x07\x7f\xc2\x9c\xc2\x85\xc3\xa9")
            << QByteArray("t.bat - a ]2;x    \xc3\xa9");
        QTest::newRow("cut between characters")
            << QByteArray("tt.bat") << QByteArray("\xc3\xa9").repeated(150)
            << "tt.bat - " + QByteArray("\xc3\xa9").repeated(95);
    }

    void title() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, title);
        const auto steps = batch::parseScript({script.constData(), std::size_t(script.size())});
        QCOMPARE(QByteArray::fromStdString(batch::consoleTitle(name.toStdString(), steps)), title);
    }

    // A script under its name, or a private copy removed once read whose
    // console is titled with the script's name.
    void arguments_data() {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArrayList>("invocation"); // file, name, removed; empty for none
        QTest::newRow("script") << QByteArrayList{"sub/t.bat"}
                                << QByteArrayList{"sub/t.bat", "t.bat", "kept"};
        QTest::newRow("private copy")
            << QByteArrayList{"--copy", "/run/user/1000/temc.bat.x1Yz2w", "temc.bat"}
            << QByteArrayList{"/run/user/1000/temc.bat.x1Yz2w", "temc.bat", "removed"};
        QTest::newRow("copy without a name") << QByteArrayList{"--copy", "c"} << QByteArrayList{};
        QTest::newRow("nothing") << QByteArrayList{} << QByteArrayList{};
    }

    void arguments() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArrayList, invocation);
        std::vector<std::string_view> words;
        for (const QByteArray& argument : arguments)
            words.emplace_back(argument.constData(), std::size_t(argument.size()));
        const std::optional<batch::Invocation> parsed = batch::parseArguments(words);
        QByteArrayList described;
        if (parsed)
            described = {QByteArray::fromStdString(parsed->file),
                         QByteArray::fromStdString(parsed->name),
                         parsed->removeAfterReading ? "removed" : "kept"};
        QCOMPARE(described, invocation);
    }

    // The built runner: a refused line creates nothing, is named on stderr,
    // and the lines around it run.
    void runner_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("out"); // @dir for the working folder
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("status"); // the last line's
        QTest::newRow("between two lines")
            << bytes("touch before\r\ntouch cut\0; touch tail\r\n@touch after")
            << bytes("@dir>touch before\n")
            << bytes("tarnwick-batch: line 2 holds a NUL byte and was not run\n") << 0;
        QTest::newRow("last line, echo off")
            << bytes("@echo OFF\r\ntouch before after\r\n@touch cut\0") << QByteArray()
            << bytes("tarnwick-batch: line 3 holds a NUL byte and was not run\n") << 1;
    }

    void runner() {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(int, status);
        QTemporaryDir dir;
        QVERIFY(dir.isValid() && test::writeBytes(dir.filePath("t.bat"), script));
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(helpers + "/tarnwick-batch", {"t.bat"});
        QVERIFY(process.waitForFinished(60000)); // a bound against a hang
        QCOMPARE(process.readAllStandardOutput(), out.replace("@dir", dir.path().toUtf8()));
        QCOMPARE(process.readAllStandardError(), err);
        QCOMPARE(process.exitCode(), status);
        const QStringList made = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(made, QStringList({"after", "before", "t.bat"}));
    }
};

QTEST_MAIN(TestBatchScript)
#include "tst_batchscript.moc"
