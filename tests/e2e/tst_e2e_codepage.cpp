// The locale's code page on a real desktop: what real keys type goes into the
// file as the locale's bytes, and in a UTF-8 locale a Cyrillic file name and
// a Command Line reach javac, java and the shell unchanged.
#include "e2e/Session.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwick::e2e;

namespace {

const QString cyrillic = QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442");

// Waits for the console the editor started, then answers its closing
// "Press any key" so that it goes away.
bool dismissConsole(const Session& s) {
    if (!s.desktop->waitForTerminalFocus())
        return false;
    s.desktop->keys({"space"});
    return QTest::qWaitFor([&] { return s.desktop->windowsOfClass("xterm").isEmpty(); }, 30000);
}

} // namespace

class TestE2eCodePage : public QObject {
    Q_OBJECT

private slots:
    void typedTextIsTheLocalesBytes_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved");
        const QString greeting = QStringLiteral("Gr\u00fc\u00dfe");
        QTest::newRow("UTF-8") << "C.UTF-8" << greeting
                               << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                             "e");
        // POSIX names ASCII: its bytes 128-255 are Latin-1 in the editor.
        QTest::newRow("POSIX") << "POSIX" << greeting
                               << QByteArray("Gr\xfc\xdf"
                                             "e");
        // Made for the test: a Russian single-byte locale, whose character
        // set has no "\u00fc".
        QTest::newRow("KOI8-R") << "ru_RU.KOI8-R" << cyrillic + QStringLiteral("\u00fc")
                                << QByteArray("\xf0\xd2\xc9\xd7\xc5\xd4");
    }
    void typedTextIsTheLocalesBytes() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        Session s;
        QTemporaryDir made;
        QProcessEnvironment environment;
        if (locale.contains(QLatin1String("KOI8-R"))) {
            QProcess localedef;
            localedef.start(QStringLiteral("localedef"),
                            {"-i", "ru_RU", "-f", "KOI8-R", made.filePath(locale)});
            if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0)
                QSKIP("cannot make a KOI8-R locale (localedef, package locales)");
            environment.insert(QStringLiteral("LOCPATH"), made.path());
        }
        QCOMPARE(s.start(Desktop::WindowManager::Openbox, environment, locale), QString());
        s.desktop->type(typed);
        s.desktop->keys({"ctrl+s"});
        QCOMPARE(s.answerFileDialog(QStringLiteral("Save As"), QStringLiteral("Typed.java")),
                 QString());
        QVERIFY(s.desktop->waitForFocus(Session::titleOf(QStringLiteral("Typed.java"))));
        QCOMPARE(s.read(QStringLiteral("Typed.java")), saved);
        QCOMPARE(s.desktop->stop(), QStringList());
    }

    void cyrillicNameCompilesAndRuns() {
        Session s;
        QCOMPARE(s.start(), QString());
        s.desktop->type("class " + cyrillic +
                        " { public static void main(String[] a) throws Exception { "
                        "java.nio.file.Files.writeString(java.nio.file.Path.of(\"ran.txt\"), "
                        "\"Gr\u00fc\u00dfe\"); } }");
        s.desktop->keys({"ctrl+s"});
        QCOMPARE(s.answerFileDialog(QStringLiteral("Save As"), cyrillic + ".java"), QString());
        QVERIFY(s.desktop->waitForFocus(Session::titleOf(cyrillic + ".java")));

        s.desktop->keys({"F9"});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(s.path(cyrillic + ".class")).size() > 0, 60000);
        QCOMPARE(s.read(QStringLiteral("temc.bat")), "@echo OFF\r\nclearscr\r\njavac " +
                                                         (cyrillic + ".java").toUtf8() +
                                                         "\r\nkeypress");
        QVERIFY(dismissConsole(s));
        QVERIFY(s.desktop->waitForFocus(Session::titleOf(cyrillic + ".java")));
        s.desktop->keys({"ctrl+F9"});
        QTRY_COMPARE_WITH_TIMEOUT(s.read(QStringLiteral("ran.txt")),
                                  QByteArray("Gr\xc3\xbc\xc3\x9f"
                                             "e"),
                                  60000);
        QVERIFY(dismissConsole(s));

        QVERIFY(s.desktop->waitForFocus(Session::titleOf(cyrillic + ".java")));
        s.desktop->keys({"F5"});
        QVERIFY(s.desktop->waitForFocus(QStringLiteral("^Enter here$")));
        s.desktop->type("touch " + cyrillic + ".txt");
        s.desktop->keys({"Return"});
        QTRY_COMPARE_WITH_TIMEOUT(s.read(QStringLiteral("temc.bat")),
                                  "@echo OFF\r\nclearscr\r\ntouch " + (cyrillic + ".txt").toUtf8() +
                                      "\r\nkeypress",
                                  60000);
        QTRY_COMPARE_WITH_TIMEOUT(s.read(cyrillic + ".txt"), QByteArray(), 60000);
        QVERIFY(dismissConsole(s));
        QCOMPARE(s.desktop->stop(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestE2eCodePage)
#include "tst_e2e_codepage.moc"
