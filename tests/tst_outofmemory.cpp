// Running out of memory inside the text component, where no command of ours
// is on the stack: the editor tells the user and carries on.
#include "app/Application.h"
#include "support/Editor.h"
#include "support/MemoryLimit.h"

#include <QClipboard>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::test;

class TestOutOfMemory : public QObject {
    Q_OBJECT

private slots:
    void systemClipboardPasteThatDoesNotFit() {
        if (!canLimitMemory)
            QSKIP("address sanitizer: a memory limit cannot produce a failed allocation");
        Editor e;
        static_cast<Application*>(qApp)->setPlatform(&e.platform);
        QVERIFY(e.showActive());
        e.type("hello");
        QGuiApplication::clipboard()->setText(QString(64 << 20, QLatin1Char('x')));
        {
            MemoryLimit limit(32 << 20);
            QVERIFY(limit.active());
            QTest::keyClick(e.form.text1(), Qt::Key_V, Qt::ControlModifier);
        }
        QGuiApplication::clipboard()->clear();
        QCOMPARE(e.platform.calls,
                 (QList<PlatformCall>{{"messageBox",
                                       "Not enough memory\rThe last key or command could not be "
                                       "carried out.",
                                       "Tarnwick", 64}}));
        QCOMPARE(e.text().bytes(), QByteArray("hello"));
        // The editor goes on: the text can still be edited and saved.
        QTest::keyClick(e.form.text1(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(e.form.text1(), Qt::Key_Exclam);
        QCOMPARE(e.text().bytes(), QByteArray("hello!"));
        static_cast<Application*>(qApp)->setPlatform(nullptr);
    }
};

int main(int argc, char* argv[]) {
    Application app(argc, argv);
    TestOutOfMemory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_outofmemory.moc"
