// A screen reader's view of the editor over AT-SPI: the accessibility bus
// runs before the editor starts (a private session bus, see CMakeLists.txt),
// and a pyatspi client reads the text, the caret and the insert events while
// real keys type into the editor.
#include "e2e/Session.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace tarnwick::e2e;

namespace {

// Turns accessibility on for the session, as a desktop does when the user
// asks for a screen reader; this also starts the accessibility bus.
QString enableAccessibility() {
    QProcess send;
    send.start(QStringLiteral("dbus-send"),
               {"--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:IsEnabled",
                "variant:boolean:true"});
    if (!send.waitForFinished(30000) || send.exitCode() != 0)
        return QStringLiteral("the accessibility bus did not start: ") +
               send.readAllStandardError();
    return {};
}

} // namespace

class TestE2eScreenReader : public QObject {
    Q_OBJECT

private slots:
    void readerFollowsTyping() {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("no private session bus (run through CTest)");
        QCOMPARE(enableAccessibility(), QString());
        Session s;
        QCOMPARE(s.start(), QString());

        QProcess reader;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", s.desktop->display());
        reader.setProcessEnvironment(env);
        reader.start("/usr/bin/python3",
                     {QStringLiteral(TARNWICK_E2E_SOURCE_DIR "/screen_reader.py"),
                      "type:Gr\u00fc\u00dfe", "key:Return", "type:ab", "key:ctrl+Home",
                      "key:ctrl+End"});
        QVERIFY(reader.waitForFinished(120000));
        const QString seen = QString::fromUtf8(reader.readAllStandardOutput());
        QVERIFY2(reader.exitCode() == 0, qPrintable(seen + reader.readAllStandardError()));
        // One insert event per typed character and per Enter, at the offset
        // a reader counts in; the caret where the keys left it.
        QCOMPARE(
            seen.split('\n', Qt::SkipEmptyParts),
            (QStringList{"step type:Gr\u00fc\u00dfe",
                         "text 'Gr\u00fc\u00dfe'",
                         "caret 5",
                         "inserts [(0, 'G'), (1, 'r'), (2, '\u00fc'), (3, '\u00df'), (4, 'e')]",
                         "step key:Return",
                         "text 'Gr\u00fc\u00dfe\\n'",
                         "caret 6",
                         "inserts [(5, '\\n')]",
                         "step type:ab",
                         "text 'Gr\u00fc\u00dfe\\nab'",
                         "caret 8",
                         "inserts [(6, 'a'), (7, 'b')]",
                         "step key:ctrl+Home",
                         "text 'Gr\u00fc\u00dfe\\nab'",
                         "caret 0",
                         "inserts []",
                         "step key:ctrl+End",
                         "text 'Gr\u00fc\u00dfe\\nab'",
                         "caret 8",
                         "inserts []"}));
        QCOMPARE(s.desktop->stop(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestE2eScreenReader)
#include "tst_e2e_screenreader.moc"
