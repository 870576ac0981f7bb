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

    void desktopEntryNamesEditorAndIconAndValidates() {
        const QString entry = installed("share/applications/tarnwick.desktop");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const char* line :
             {"^Exec=tarnwick$", "^Icon=tarnwick$", "^Categories=(.*;)?Development(;|$)",
              "^Categories=(.*;)?TextEditor(;|$)", "^MimeType=(.*;)?text/x-java(;|$)"})
            QVERIFY2(text.contains(QRegularExpression(line, QRegularExpression::MultilineOption)),
                     line);
        // The icon it names, as a 32 x 32 picture and a scalable one.
        QCOMPARE(QImage(installed("share/icons/hicolor/32x32/apps/tarnwick.png")).size(),
                 QSize(32, 32));
        QVERIFY(QFileInfo(installed("share/icons/hicolor/scalable/apps/tarnwick.svg")).isFile());

        if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty())
            QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
        // Hints are advice; errors and warnings are faults.
        const auto [ok, report] = run("desktop-file-validate", {entry});
        QVERIFY2(ok && !report.contains("error:") && !report.contains("warning:"),
                 qPrintable(report));
    }

private:
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
