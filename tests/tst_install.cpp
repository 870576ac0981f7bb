#include "platform/HelperLocation.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Installs the build tree into a fresh prefix, as a user would with
// `cmake --install build --prefix P`, and checks what lands there.
class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void editorInstalled();
    void helpersInstalledWhereTheEditorLooks();
    void desktopEntryValidates();
    void desktopEntryNamesInstalledProgramAndIcon();
    void iconsInstalled();

private:
    QString prefixPath(const QString& relative) const { return prefix_.filePath(relative); }
    QStringList desktopEntries() const;
    static QHash<QString, QString> desktopEntryKeys(const QString& path);

    QString buildDir_;
    QTemporaryDir prefix_;
};

void TestInstall::initTestCase() {
    buildDir_ = qEnvironmentVariable("TARNWICK_BUILD_DIR");
    QVERIFY2(!buildDir_.isEmpty(), "TARNWICK_BUILD_DIR is not set");
    QVERIFY(prefix_.isValid());
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    QVERIFY2(!cmake.isEmpty(), "cmake is not on PATH");
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(cmake, {QStringLiteral("--install"), buildDir_, QStringLiteral("--prefix"),
                          prefix_.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
             install.readAll().constData());
}

QStringList TestInstall::desktopEntries() const {
    QDir applications(prefixPath(QStringLiteral("share/applications")));
    QStringList paths;
    for (const QString& name : applications.entryList({QStringLiteral("*.desktop")}, QDir::Files))
        paths.append(applications.filePath(name));
    return paths;
}

// The keys of a desktop entry's main group. (QSettings cannot read one: it
// takes the ';' that separates list items for the start of a comment.)
QHash<QString, QString> TestInstall::desktopEntryKeys(const QString& path) {
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inMainGroup && line.contains(u'=') && !line.startsWith(u'#'))
            keys.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return keys;
}

void TestInstall::editorInstalled() {
    const QFileInfo editor(prefixPath(QStringLiteral("bin/tarnwick")));
    QVERIFY(editor.isFile());
    QVERIFY(editor.isExecutable());
}

void TestInstall::helpersInstalledWhereTheEditorLooks() {
    // The installed editor derives its helper folder from its own location.
    const QString helpers = tarnwick::helperDirectoryFor(prefixPath(QStringLiteral("bin")));
    QCOMPARE(helpers, QDir::cleanPath(prefixPath(QStringLiteral("libexec/tarnwick"))));

    // Every helper the build tree uses is installed there, executable alike.
    const QDir built(QDir(buildDir_).filePath(QStringLiteral("libexec/tarnwick")));
    const QStringList names = built.entryList(QDir::Files);
    // Launch scripts call these two by bare name.
    QVERIFY(names.contains(QStringLiteral("clearscr")));
    QVERIFY(names.contains(QStringLiteral("keypress")));
    for (const QString& name : names) {
        const QFileInfo installed(QDir(helpers).filePath(name));
        QVERIFY2(installed.isFile(), qPrintable(name));
        QCOMPARE(installed.isExecutable(), QFileInfo(built.filePath(name)).isExecutable());
        QCOMPARE(installed.size(), QFileInfo(built.filePath(name)).size());
    }
}

void TestInstall::desktopEntryValidates() {
    const QStringList entries = desktopEntries();
    QCOMPARE(entries.size(), 1);
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(validator, {entries.first()});
    QVERIFY(validate.waitForFinished(30000));
    const QByteArray report = validate.readAll();
    QVERIFY2(validate.exitCode() == 0, report.constData());
    // Hints are advice; errors and warnings are faults.
    QVERIFY2(!report.contains("error:") && !report.contains("warning:"), report.constData());
}

void TestInstall::desktopEntryNamesInstalledProgramAndIcon() {
    const QStringList entries = desktopEntries();
    QVERIFY(!entries.isEmpty());
    const QHash<QString, QString> entry = desktopEntryKeys(entries.first());
    QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    // The editor takes no command line, so nothing is passed to it.
    QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("tarnwick"));
    QVERIFY(QFileInfo(prefixPath(QStringLiteral("bin/tarnwick"))).isExecutable());

    const QStringList categories = entry.value(QStringLiteral("Categories")).split(u';');
    QVERIFY(categories.contains(QStringLiteral("Development")));
    QVERIFY(categories.contains(QStringLiteral("TextEditor")));
    QVERIFY(entry.value(QStringLiteral("MimeType"))
                .split(u';')
                .contains(QStringLiteral("text/x-java")));

    const QString icon = entry.value(QStringLiteral("Icon"));
    QVERIFY(!icon.isEmpty());
    QStringList found;
    QDirIterator it(prefixPath(QStringLiteral("share/icons/hicolor")), QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        if (file.completeBaseName() == icon && file.dir().dirName() == QStringLiteral("apps"))
            found.append(file.filePath());
    }
    QVERIFY2(!found.isEmpty(), qPrintable(icon));
}

void TestInstall::iconsInstalled() {
    const QImage picture(prefixPath(QStringLiteral("share/icons/hicolor/32x32/apps/tarnwick.png")));
    QCOMPARE(picture.size(), QSize(32, 32));
    QVERIFY(picture.hasAlphaChannel());
    QFile scalable(prefixPath(QStringLiteral("share/icons/hicolor/scalable/apps/tarnwick.svg")));
    QVERIFY(scalable.open(QIODevice::ReadOnly));
    QVERIFY(scalable.readAll().contains("<svg"));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
