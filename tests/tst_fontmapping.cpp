// Which installed family stands for a font name, on a machine with the
// fonts the set-up installs (DejaVu and Liberation) and none of the names'
// own faces.
#include "platform/FontMapping.h"

#include <QFontDatabase>
#include <QtTest>

using namespace tarnwick;

class TestFontMapping : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        for (const char* family : {"DejaVu Sans", "DejaVu Serif", "Liberation Sans",
                                   "Liberation Serif", "Liberation Mono"})
            if (!QFontDatabase::hasFamily(family))
                QSKIP(qPrintable(QString("%1 is not installed").arg(family)));
    }

    void familyForName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family"); // empty: not available
        QTest::newRow("Arial") << "Arial"
                               << "Liberation Sans";
        QTest::newRow("Times New Roman") << "Times New Roman"
                                         << "Liberation Serif";
        QTest::newRow("Courier New") << "Courier New"
                                     << "Liberation Mono";
        QTest::newRow("Courier") << "Courier"
                                 << "Liberation Mono";
        QTest::newRow("MS Sans Serif") << "MS Sans Serif"
                                       << "DejaVu Sans";
        QTest::newRow("an installed family is itself") << "DejaVu Serif"
                                                       << "DejaVu Serif";
        QTest::newRow("Impact") << "Impact"
                                << "";
        QTest::newRow("MS Serif: no stand-in") << "MS Serif"
                                               << "";
    }
    void familyForName() {
        QFETCH(QString, name);
        QFETCH(QString, family);
        if (family != name && QFontDatabase::hasFamily(name))
            QSKIP("this machine has the face of that name");
        QCOMPARE(installedFamilyFor(name), family);
    }

    void dialogsUseTheSmallSansSerifFace() {
        QCOMPARE(dialogFont().family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(dialogFont().pointSize(), 8);
    }
};

QTEST_MAIN(TestFontMapping)
#include "tst_fontmapping.moc"
