#include "about/AboutTexts.h"
#include "about/frmAbout.h"
#include "app/FontSettings.h"
#include "app/Form1.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using tarnwick::FontSettings;
using tarnwick::Form1;
using tarnwick::frmAbout;
using tarnwick::test::FakePlatform;

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void versionLine_data();
    void versionLine();
    void openingShowsTitleAndVersion();
    void frameIsFixedDialogOwnedByMainWindow();
    void tabOrderStartsAtOk();
    void controlsSitAtTheirPlaces_data();
    void controlsSitAtTheirPlaces();
    void labelTextsFitTheirBoxes();
    void etchedRuleIsGreyAboveWhite();
    void closingDestroysTheBox_data();
    void closingDestroysTheBox();
    void aboutTwiceGivesOneBox();
    void closingMainWindowClosesTheBox();

private:
    // Lets deleteLater() of a closed box take effect.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    frmAbout* openBox();

    FakePlatform* platform_ = nullptr;
    FontSettings* settings_ = nullptr;
    Form1* form1_ = nullptr;
};

void TestAbout::init() {
    platform_ = new FakePlatform;
    settings_ = new FontSettings;
    form1_ = new Form1(*platform_, *settings_);
    form1_->show();
}

void TestAbout::cleanup() {
    delete form1_;
    delete settings_;
    delete platform_;
}

frmAbout* TestAbout::openBox() {
    form1_->action(QStringLiteral("About"))->trigger();
    return qobject_cast<frmAbout*>(form1_->aboutWindow());
}

void TestAbout::versionLine_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("line");
    QTest::newRow("first_release") << 1 << 0 << 0 << "Version 1.0.0";
    QTest::newRow("several_digits") << 12 << 305 << 7 << "Version 12.305.7";
}

void TestAbout::versionLine() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, line);
    QCOMPARE(tarnwick::abouttexts::versionLine(major, minor, revision), line);
}

void TestAbout::openingShowsTitleAndVersion() {
    frmAbout* box = openBox();
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QCOMPARE(box->windowTitle(), QStringLiteral("About tarnpad"));
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Version 1.0.0"));
    QCOMPARE(box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
    QVERIFY(box->findChild<QLabel*>(QStringLiteral("lblTitle"))->text().startsWith("Tarnwick"));
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("lblDisclaimer"))->text(),
             QStringLiteral("I made this to help myself avoid the hassles in the execution of "
                            "Java Files. It is not an IDE. Just have Fun!"));
    const QPixmap icon = box->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap();
    QCOMPARE(icon.size(), QSize(32, 32));
    // Nothing of the editor changes by opening the box.
    QVERIFY(platform_->unscripted.isEmpty());
    QCOMPARE(platform_->callsOf(QStringLiteral("show")).size(), 1);
}

void TestAbout::frameIsFixedDialogOwnedByMainWindow() {
    frmAbout* box = openBox();
    QCOMPARE(box->parentWidget(), form1_);
    QCOMPARE(box->windowType(), Qt::Dialog);
    const Qt::WindowFlags flags = box->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(box->minimumSize(), QSize(382, 237));
    QCOMPARE(box->maximumSize(), QSize(382, 237));
    QCOMPARE(box->size(), QSize(382, 237));
    QVERIFY(!box->isModal());
}

void TestAbout::tabOrderStartsAtOk() {
    frmAbout* box = openBox();
    auto* cmdOK = box->findChild<QPushButton*>(QStringLiteral("cmdOK"));
    QCOMPARE(box->focusWidget(), cmdOK);
    QVERIFY(cmdOK->isDefault());
    QStringList order;
    QWidget* next = cmdOK;
    for (int i = 0; i < 6; ++i, next = next->nextInFocusChain())
        order.append(next->objectName());
    QCOMPARE(order, QStringList({"cmdOK", "picIcon", "lblDescription", "lblDisclaimer", "lblTitle",
                                 "lblVersion"}));
}

void TestAbout::controlsSitAtTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<bool>("blackText");
    QTest::newRow("picIcon") << "picIcon" << QRect(16, 16, 36, 36) << false;
    QTest::newRow("lblTitle") << "lblTitle" << QRect(70, 16, 259, 32) << true;
    QTest::newRow("lblVersion") << "lblVersion" << QRect(70, 52, 259, 15) << false;
    QTest::newRow("lblDescription") << "lblDescription" << QRect(72, 80, 259, 78) << true;
    QTest::newRow("lblDisclaimer") << "lblDisclaimer" << QRect(17, 175, 258, 47) << true;
    QTest::newRow("cmdOK") << "cmdOK" << QRect(283, 184, 84, 23) << false;
}

void TestAbout::controlsSitAtTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(bool, blackText);
    frmAbout* box = openBox();
    auto* control = box->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), place);
    const QColor text = control->palette().color(QPalette::WindowText);
    if (blackText)
        QCOMPARE(text, QColor(Qt::black));
    else if (name == QStringLiteral("lblVersion"))
        QCOMPARE(text, box->palette().color(QPalette::WindowText));
}

void TestAbout::labelTextsFitTheirBoxes() {
    frmAbout* box = openBox();
    for (const char* name : {"lblTitle", "lblVersion", "lblDescription", "lblDisclaimer"}) {
        auto* label = box->findChild<QLabel*>(QLatin1String(name));
        QVERIFY2(label->wordWrap(), name);
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(), name);
    }
}

void TestAbout::etchedRuleIsGreyAboveWhite() {
    frmAbout* box = openBox();
    const QImage shot = box->grab().toImage();
    const QRgb background = shot.pixel(200, 160);
    QCOMPARE(QColor(shot.pixel(6, 163)), QColor(128, 128, 128));
    QCOMPARE(QColor(shot.pixel(376, 163)), QColor(128, 128, 128));
    QCOMPARE(QColor(shot.pixel(200, 164)), QColor(255, 255, 255));
    QCOMPARE(QColor(shot.pixel(200, 165)), QColor(255, 255, 255));
    QCOMPARE(shot.pixel(200, 166), background);
    QCOMPARE(shot.pixel(200, 162), background);
    // The white line starts one pixel further in than the grey one.
    QCOMPARE(shot.pixel(6, 164), background);
    QCOMPARE(QColor(shot.pixel(7, 164)), QColor(255, 255, 255));
    QCOMPARE(shot.pixel(377, 163), background);
}

void TestAbout::closingDestroysTheBox_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("enter_on_button") << "return@cmdOK";
    QTest::newRow("keypad_enter_on_button") << "enter@cmdOK";
    QTest::newRow("esc_on_button") << "escape@cmdOK";
    QTest::newRow("enter_on_box") << "return@frmAbout";
    QTest::newRow("esc_on_box") << "escape@frmAbout";
    QTest::newRow("enter_on_label") << "return@lblDescription";
    QTest::newRow("esc_on_label") << "escape@lblDisclaimer";
    QTest::newRow("click_ok") << "click";
    QTest::newRow("close_box") << "close";
}

void TestAbout::closingDestroysTheBox() {
    QFETCH(QString, how);
    QPointer<frmAbout> box = openBox();
    QVERIFY(box);
    if (how == QStringLiteral("click")) {
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    } else if (how == QStringLiteral("close")) {
        box->close();
    } else {
        const QString keyName = how.section('@', 0, 0);
        const QString target = how.section('@', 1);
        const Qt::Key key = keyName == QStringLiteral("return")  ? Qt::Key_Return
                            : keyName == QStringLiteral("enter") ? Qt::Key_Enter
                                                                 : Qt::Key_Escape;
        QWidget* receiver = target == QStringLiteral("frmAbout") ? static_cast<QWidget*>(box)
                                                                 : box->findChild<QWidget*>(target);
        QVERIFY(receiver);
        QTest::keyClick(receiver, key);
    }
    QVERIFY(box.isNull() || !box->isVisible());
    flushDeletes();
    QVERIFY(box.isNull());
    QVERIFY(!form1_->aboutWindow());
    // The main window stays open and a new box can be opened.
    QVERIFY(form1_->isVisible());
    frmAbout* again = openBox();
    QVERIFY(again);
    QCOMPARE(again->windowTitle(), QStringLiteral("About tarnpad"));
    QCOMPARE(again->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Version 1.0.0"));
}

void TestAbout::aboutTwiceGivesOneBox() {
    frmAbout* first = openBox();
    frmAbout* second = openBox();
    QVERIFY(first);
    QCOMPARE(second, first);
    QCOMPARE(form1_->findChildren<frmAbout*>().size(), 1);
    // Both choices go through the platform's show, which brings it forward.
    const QList<tarnwick::test::PlatformCall> shows = platform_->callsOf(QStringLiteral("show"));
    QCOMPARE(shows.size(), 2);
    QCOMPARE(shows.at(1).text, QStringLiteral("frmAbout"));
}

void TestAbout::closingMainWindowClosesTheBox() {
    QPointer<frmAbout> box = openBox();
    QVERIFY(box);
    QVERIFY(form1_->close());
    QVERIFY(platform_->unscripted.isEmpty());
    const QList<tarnwick::test::PlatformCall> closes = platform_->callsOf(QStringLiteral("close"));
    QVERIFY(std::any_of(closes.begin(), closes.end(),
                        [](const auto& call) { return call.text == QStringLiteral("frmAbout"); }));
    QVERIFY(box.isNull() || !box->isVisible());
    flushDeletes();
    QVERIFY(box.isNull());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
