// The end of a desktop session as the editor meets it: a logout's signal, a
// closed terminal's SIGHUP, or the display server going away under it, with
// the text unsaved; and the logout inhibitor a GNOME session sees. Runs on a
// private session bus (see CMakeLists.txt) with a stand-in session manager.
#include "e2e/Session.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace tarnwick::e2e;

namespace {

enum class End { Term, Hangup, DisplayLost };

// The display server of this test's Desktop: the Xvfb this process started.
pid_t displayServer() {
    const QString self = QString::number(::getpid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ..."
        const QList<QByteArray> fields = stat.readAll().split(' ');
        if (fields.size() > 3 && fields[1] == "(Xvfb)" && fields[3] == self.toLatin1())
            return pid_t(pid.toInt());
    }
    return 0;
}

} // namespace

class TestE2eSession : public QObject {
    Q_OBJECT

private slots:
    void init() { s_ = std::make_unique<Session>(); }
    void cleanup();

    void endedFromOutside_data();
    void endedFromOutside();
    void logoutWaitsForUnsavedText_data();
    void logoutWaitsForUnsavedText();
    void sessionManagerAsks_data();
    void sessionManagerAsks();

private:
    // The editor as a user's session starts it, its standard error kept in a
    // file. Empty on success, else what went wrong.
    QString startLogged(const QString& errorFile);

    std::unique_ptr<Session> s_;
    QProcess* editor_ = nullptr;
};

void TestE2eSession::cleanup() {
    if (s_->desktop)
        QCOMPARE(s_->desktop->stop(), QStringList());
    s_.reset();
}

QString TestE2eSession::startLogged(const QString& errorFile) {
    s_->desktop = std::make_unique<Desktop>();
    if (!s_->desktop->startError().isEmpty())
        return s_->desktop->startError();
    editor_ = s_->desktop->startProgram(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("cd \"$0\" && exec \"$1\" 2>\"$2\""), s_->dir.path(),
         buildDir() + QStringLiteral("/bin/tarnwick"), errorFile});
    const QString title = QStringLiteral("^Untitled - Tarnwick$");
    const QString window = s_->desktop->waitForWindow(title);
    if (window.isEmpty())
        return QStringLiteral("the editor's window did not appear");
    for (int attempt = 0; attempt < 3; ++attempt) {
        s_->desktop->click(s_->desktop->geometry(window).center());
        if (s_->desktop->waitForFocus(title, 5000))
            return {};
    }
    return QStringLiteral("the editor's window did not get the focus");
}

void TestE2eSession::endedFromOutside_data() {
    QTest::addColumn<End>("end");
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("SIGTERM") << End::Term << true;
    QTest::newRow("SIGHUP") << End::Hangup << true;
    QTest::newRow("display lost") << End::DisplayLost << true;
    QTest::newRow("saved, SIGTERM: no copy") << End::Term << false;
    QTest::newRow("saved, display lost: no copy") << End::DisplayLost << false;
}

// Unsaved text survives the end byte for byte in a copy named after the
// file, whose path is on standard error; the file itself stays as it was,
// and the launch scripts go as at a normal close.
void TestE2eSession::endedFromOutside() {
    QFETCH(End, end);
    QFETCH(bool, unsaved);
    const QByteArray original("class Hello {}\r\n\xff\0end\r\n", 21);
    s_->write(QStringLiteral("Hello.java"), original);
    s_->write(QStringLiteral("temc.bat"), "javac Hello.java\r\n");
    QTemporaryDir logs;
    const QString errorFile = logs.filePath(QStringLiteral("stderr"));
    QCOMPARE(startLogged(errorFile), QString());
    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());
    if (unsaved) {
        s_->desktop->type(QStringLiteral("xyz\u00fc"));
        // The close question proves the keys have all arrived; Escape keeps
        // the window and the text.
        s_->desktop->keys({QStringLiteral("ctrl+x")});
        QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^File not saved$")));
        s_->desktop->keys({QStringLiteral("Escape")});
        QVERIFY(s_->desktop->waitForFocus(Session::titleOf(QStringLiteral("Hello.java"))));
    }

    if (end == End::DisplayLost) {
        const pid_t server = displayServer();
        QVERIFY(server > 0);
        ::kill(server, SIGKILL);
    } else {
        ::kill(pid_t(editor_->processId()), end == End::Term ? SIGTERM : SIGHUP);
    }
    QVERIFY(editor_->waitForFinished(15000));
    if (end != End::DisplayLost) {
        // Ended by the signal itself, as whoever sent it expects.
        QCOMPARE(editor_->exitStatus(), QProcess::CrashExit);
        QCOMPARE(editor_->exitCode(), end == End::Term ? SIGTERM : SIGHUP);
    }

    const QString copy = QStringLiteral("Hello.java.unsaved-changes");
    QStringList expected{QStringLiteral("Hello.java")};
    if (unsaved)
        expected.append(copy);
    QCOMPARE(QDir(s_->dir.path()).entryList(QDir::Files), expected);
    QCOMPARE(s_->read(QStringLiteral("Hello.java")), original);
    QFile errors(errorFile);
    QVERIFY(errors.open(QIODevice::ReadOnly));
    const QByteArray said = errors.readAll();
    if (unsaved) {
        QCOMPARE(s_->read(copy), QByteArray("xyz\xc3\xbc") + original);
        QVERIFY2(said.contains(s_->path(copy).toUtf8() + '\n'), said.constData());
    } else {
        QVERIFY2(!said.contains("unsaved"), said.constData());
    }
}

// GNOME learns that a logout has to wait for Tarnwick while the text is
// unsaved, and no longer once it is saved; opening a file asks for nothing.
void TestE2eSession::logoutWaitsForUnsavedText_data() {
    QTest::addColumn<QString>("service");
    QTest::addColumn<QStringList>("calls"); // %1: the window as named in the call
    const QString reason = QStringLiteral("reason=The text has unsaved changes");
    QTest::newRow("GNOME's session manager")
        << "gnome"
        << QStringList{"Inhibit window=%1 app=tarnwick flags=1 " + reason, "Uninhibit 1"};
    // Where GNOME's session manager is absent.
    QTest::newRow("desktop portal")
        << "portal" << QStringList{"Inhibit window=%1 flags=1 " + reason, "Close 1"};
}

// The desktop learns that a logout has to wait for Tarnwick while the text
// is unsaved, and no longer once it is saved; opening a file asks for
// nothing.
void TestE2eSession::logoutWaitsForUnsavedText() {
    QFETCH(QString, service);
    QFETCH(QStringList, calls);
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("no private session bus (run through CTest)");
    QProcess standIn;
    standIn.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(TARNWICK_E2E_SOURCE_DIR "/session_manager.py"), service});
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += standIn.readAllStandardOutput()).contains("ready\n"), 20000);
    s_->write(QStringLiteral("Hello.java"), "class Hello {}");
    QCOMPARE(s_->start(), QString());
    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());

    s_->desktop->type(QStringLiteral("ab"));
    QTRY_VERIFY_WITH_TIMEOUT((said += standIn.readAllStandardOutput()).contains("Inhibit "), 10000);
    s_->desktop->keys({QStringLiteral("ctrl+s")});
    QTRY_COMPARE_WITH_TIMEOUT(s_->read(QStringLiteral("Hello.java")),
                              QByteArray("abclass Hello {}"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT((said += standIn.readAllStandardOutput()).count('\n'), 3, 10000);
    // Time for a call too many to arrive.
    QTest::qWait(1000);
    said += standIn.readAllStandardOutput();
    standIn.kill();
    standIn.waitForFinished();

    QStringList lines = QString::fromUtf8(said).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("ready"));
    lines.removeFirst();
    const QString window = lines.value(0).section(QLatin1Char(' '), 1, 1).section('=', 1);
    calls[0] = calls[0].arg(window);
    QCOMPARE(lines, calls);
    // The window it names is the editor's own.
    const QString xid = window.startsWith(QLatin1String("x11:"))
                            ? QString::number(window.mid(4).toULongLong(nullptr, 16))
                            : window;
    QVERIFY(s_->desktop->windows(Session::titleOf(QStringLiteral("Hello.java"))).contains(xid));
}

void TestE2eSession::sessionManagerAsks_data() {
    QTest::addColumn<bool>("unsaved");
    QTest::addColumn<QString>("answer"); // the key that answers the question
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("file");
    const QStringList ends{"save done, success yes", "die", "closed"};
    QTest::newRow("saved: nothing asked")
        << false << QString() << ends << QByteArray("class Hello {}");
    QTest::newRow("Cancel: the session goes on")
        << true << "Escape"
        << QStringList{"interact", "interact done, cancel yes", "save done, success no",
                       "cancelled"}
        << QByteArray("class Hello {}");
    QTest::newRow("No: ends without another question")
        << true << "n" << QStringList{"interact", "interact done, cancel no"} + ends
        << QByteArray("class Hello {}");
    QTest::newRow("Yes: saved, ends")
        << true << "y" << QStringList{"interact", "interact done, cancel no"} + ends
        << QByteArray("abclass Hello {}");
}

// A logout through a real X11 session manager: the unsaved-changes question
// decides whether the session ends, and the session's end closes the window
// without asking twice.
void TestE2eSession::sessionManagerAsks() {
    QFETCH(bool, unsaved);
    QFETCH(QString, answer);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, file);
    QProcess manager;
    manager.start(buildDir() + QStringLiteral("/tests/e2e/session_manager_x11"));
    QVERIFY(manager.waitForReadyRead(10000));
    const QString address = QString::fromLocal8Bit(manager.readLine()).trimmed();
    QVERIFY2(address.startsWith(QLatin1String("local/")), qPrintable(address));
    QProcessEnvironment env;
    env.insert(QStringLiteral("SESSION_MANAGER"), address);
    s_->write(QStringLiteral("Hello.java"), "class Hello {}");
    QCOMPARE(s_->start(Desktop::WindowManager::Openbox, env), QString());
    QCOMPARE(s_->open(QStringLiteral("Hello.java")), QString());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += manager.readAll()).contains("registered\n"), 10000);
    said.clear();
    if (unsaved)
        s_->desktop->type(QStringLiteral("ab"));

    manager.write("logout\n");
    if (!answer.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT((said += manager.readAll()).contains("interact\n"), 10000);
        QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^File not saved$")));
        s_->desktop->keys({answer});
    }
    const QByteArray last = steps.constLast().toUtf8() + '\n';
    QTRY_VERIFY_WITH_TIMEOUT((said += manager.readAll()).contains(last), 10000);
    if (steps.contains(QLatin1String("die")))
        QVERIFY(s_->desktop->waitForEditorExit());
    else
        QVERIFY(s_->desktop->waitForFocus(Session::titleOf(QStringLiteral("Hello.java"))));
    QCOMPARE(QString::fromUtf8(said).split('\n', Qt::SkipEmptyParts), steps);
    QCOMPARE(s_->read(QStringLiteral("Hello.java")), file);
    // Nothing was left behind: the session's end is not the end of an
    // unasked exit.
    QCOMPARE(QDir(s_->dir.path()).entryList(QDir::Files), QStringList{"Hello.java"});
    manager.kill();
    manager.waitForFinished();
}

QTEST_GUILESS_MAIN(TestE2eSession)
#include "tst_e2e_session.moc"
