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
        // Every helper the build tree uses is installed there, executable alike.
        const QDir built(QDir(buildDir_).filePath("libexec/tarnwick"));
        const QStringList names = built.entryList(QDir::Files);
        // Launch scripts call these two by bare name.
        QVERIFY(names.contains("clearscr") && names.contains("keypress"));
        for (const QString& name : names) {
            const QFileInfo copy(helpers.filePath(name)), original(built.filePath(name));
            QVERIFY2(copy.isFile(), qPrintable(name));
            QCOMPARE(copy.isExecutable(), original.isExecutable());
            QCOMPARE(copy.size(), original.size());
        }
    }

    void desktopEntryNamesEditorAndIconAndValidates() {
        const QStringList entries =
            QDir(installed("share/applications")).entryList({"*.desktop"}, QDir::Files);
        QCOMPARE(entries.size(), 1);
        const QString entry = installed("share/applications/" + entries.first());
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        // The value of a key given once. (QSettings cannot read the file: it
        // takes the ';' between list items for the start of a comment.)
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        const auto key = [&lines](const QString& name) {
            const QStringList found = lines.filter(QRegularExpression('^' + name + '='));
            return found.size() == 1 ? found.first().section('=', 1) : QString();
        };
        // The editor takes no command line, so nothing is passed to it.
        QCOMPARE(key("Exec"), QStringLiteral("tarnwick"));
        QCOMPARE(key("Icon"), QStringLiteral("tarnwick"));
        const QStringList categories = key("Categories").split(';');
        QVERIFY(categories.contains("Development") && categories.contains("TextEditor"));
        QVERIFY(key("MimeType").split(';').contains("text/x-java"));

        // The icon it names, as a 32 x 32 picture and a scalable one.
        const QImage picture(installed("share/icons/hicolor/32x32/apps/tarnwick.png"));
        QCOMPARE(picture.size(), QSize(32, 32));
        QVERIFY(picture.hasAlphaChannel());
        QFile scalable(installed("share/icons/hicolor/scalable/apps/tarnwick.svg"));
        QVERIFY(scalable.open(QIODevice::ReadOnly) && scalable.readAll().contains("<svg"));

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
        if (!process.waitForFinished(120000))
            return {false, program + ": " + process.errorString()};
        return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                QString::fromLocal8Bit(process.readAll())};
    }

    const QString buildDir_ = qEnvironmentVariable("TARNWICK_BUILD_DIR");
    QTemporaryDir prefix_;
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
