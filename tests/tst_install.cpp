#include "platform/HelperLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Installs the build tree into a fresh prefix, as a user would with
// `cmake --install build --prefix P`, and checks what lands there.
class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!buildDir_.isEmpty(), "TARNWICK_BUILD_DIR is not set");
        QVERIFY(prefix_.isValid());
        const auto [ok, output] =
            run("cmake", {"--install", buildDir_, "--prefix", prefix_.path()});
        QVERIFY2(ok, qPrintable(output));
    }

    void editorFindsItsInstalledHelpers() {
        QVERIFY(QFileInfo(installed("bin/tarnwick")).isExecutable());
        // The installed editor derives its helper folder from its own location.
        const QDir helpers(tarnwick::helperDirectoryFor(installed("bin")));
        QCOMPARE(helpers.path(), QDir::cleanPath(installed("libexec/tarnwick")));
        // Launch scripts call these two by bare name.
        for (const char* name : {"clearscr", "keypress"})
            QVERIFY2(QFileInfo(helpers.filePath(name)).isExecutable(), name);
    }

    // The desktop entry starts the editor without a file: the program takes
    // none, so it claims no file type and Exec passes no file.
    void desktopEntryNamesEditorAndIconAndValidates() {
        const QString entry = installed("share/applications/tarnwick.desktop");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const char* line :
             {"^Exec=tarnwick$", "^Icon=tarnwick$", "^Categories=(.*;)?Development(;|$)"})
            QVERIFY2(text.contains(QRegularExpression(line, QRegularExpression::MultilineOption)),
                     line);
        QVERIFY(
            !text.contains(QRegularExpression("^MimeType=", QRegularExpression::MultilineOption)));
        QVERIFY(!text.contains(QRegularExpression("%[fFuU]")));
        // The icon it names, as a 32 x 32 picture and a scalable one.
        QCOMPARE(QImage(installed("share/icons/hicolor/32x32/apps/tarnwick.png")).size(),
                 QSize(32, 32));
        QVERIFY(QFileInfo(installed("share/icons/hicolor/scalable/apps/tarnwick.svg")).isFile());

        // Not even a hint is left.
        validates("desktop-file-validate", {entry}, "desktop-file-utils",
                  {"error:", "warning:", "hint:"});
    }

    void metainfoNamesTheDesktopEntryAndValidates() {
        const QString metainfo =
            installed("share/metainfo/io.github.tarnwick.tarnwick.metainfo.xml");
        QFile file(metainfo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains("<launchable type=\"desktop-id\">tarnwick.desktop</launchable>"));
        QVERIFY(text.contains("<binary>tarnwick</binary>"));
        QVERIFY(QFileInfo(installed("share/applications/tarnwick.desktop")).isFile());
        // Pedantic: not even the advice of the strictest level is left.
        validates("appstreamcli", {"validate", "--no-net", "--pedantic", metainfo}, "appstream",
                  {"E:", "W:", "I:", "P:"});
    }

    // The manual page is where man looks for it, and renders without a
    // single warning of the formatter.
    void manualPageRendersWithoutWarnings() {
        const QString page = installed("share/man/man1/tarnwick.1");
        QVERIFY(QFileInfo(page).isFile());
        validates("groff", {"-ww", "-man", "-z", page}, "groff-base", {""});
    }

private:
    // Runs a validator on an installed file: it must succeed and say none of
    // the markers it uses for faults ("" when any output at all is one).
    void validates(const QString& program, const QStringList& arguments, const char* package,
                   const QStringList& faults) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP(qPrintable(program + " is not installed (package " + package + ")"));
        const auto [ok, report] = run(program, arguments);
        QVERIFY2(ok, qPrintable(report));
        for (const QString& fault : faults)
            QVERIFY2(fault.isEmpty() ? report.trimmed().isEmpty() : !report.contains(fault),
                     qPrintable(report));
    }
    QString installed(const QString& relative) const { return prefix_.filePath(relative); }

    // Runs a program from PATH: whether it succeeded, and what it said.
    static std::pair<bool, QString> run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStandardPaths::findExecutable(program), arguments);
        const bool ok = process.waitForFinished(120000) && process.exitCode() == 0 &&
                        process.exitStatus() == QProcess::NormalExit;
        const QString said = QString::fromLocal8Bit(process.readAll());
        return {ok, ok ? said : program + ": " + process.errorString() + '\n' + said};
    }

    const QString buildDir_ = qEnvironmentVariable("TARNWICK_BUILD_DIR");
    QTemporaryDir prefix_;
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
