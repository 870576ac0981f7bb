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

using tarnwick::frmAbout;

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void init() { editor_.emplace().form1.show(); }
    void cleanup() { editor_.reset(); }

    void openingShowsTheBox() {
        QCOMPARE(tarnwick::abouttexts::versionLine(12, 305, 7), QStringLiteral("Version 12.305.7"));
        frmAbout* box = openBox();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("About tarnpad"));
        QCOMPARE(box->findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 1.0.0"));
        QVERIFY(box->findChild<QLabel*>("lblTitle")->text().startsWith("Tarnwick"));
        QCOMPARE(box->findChild<QLabel*>("lblDisclaimer")->text(),
                 QStringLiteral("I made this to help myself avoid the hassles in the execution of "
                                "Java Files. It is not an IDE. Just have Fun!"));
        QCOMPARE(box->findChild<QLabel*>("picIcon")->pixmap().size(), QSize(32, 32));

        // A fixed-size, modeless dialog frame owned by the main window, with only a close box.
        QCOMPARE(box->parentWidget(), &editor_->form1);
        QCOMPARE(box->windowType(), Qt::Dialog);
        QCOMPARE(box->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint),
                 Qt::WindowCloseButtonHint);
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QCOMPARE(box->size(), QSize(382, 237));
        QVERIFY(!box->isModal());

        // The focus starts on the default button; the chain follows keyboard order.
        auto* cmdOK = box->findChild<QPushButton*>("cmdOK");
        QCOMPARE(cmdOK->text(), QStringLiteral("OK"));
        QVERIFY(cmdOK->isDefault());
        QCOMPARE(box->focusWidget(), cmdOK);
        QStringList order;
        for (QWidget* next = cmdOK; order.size() < 6; next = next->nextInFocusChain())
            order.append(next->objectName());
        QCOMPARE(order, QStringList({"cmdOK", "picIcon", "lblDescription", "lblDisclaimer",
                                     "lblTitle", "lblVersion"}));
    }

    void controlsSitAtTheirPlaces_data() {
        QTest::addColumn<QRect>("place");
        QTest::addColumn<bool>("blackText");
        QTest::newRow("picIcon") << QRect(16, 16, 36, 36) << false;
        QTest::newRow("lblTitle") << QRect(70, 16, 259, 32) << true;
        QTest::newRow("lblVersion") << QRect(70, 52, 259, 15) << false;
        QTest::newRow("lblDescription") << QRect(72, 80, 259, 78) << true;
        QTest::newRow("lblDisclaimer") << QRect(17, 175, 258, 47) << true;
        QTest::newRow("cmdOK") << QRect(283, 184, 84, 23) << false;
    }

    void controlsSitAtTheirPlaces() {
        QFETCH(QRect, place);
        QFETCH(bool, blackText);
        frmAbout* box = openBox();
        auto* control = box->findChild<QWidget*>(QTest::currentDataTag());
        QVERIFY(control);
        QCOMPARE(control->geometry(), place);
        QCOMPARE(control->palette().color(QPalette::WindowText),
                 blackText ? QColor(Qt::black) : box->palette().color(QPalette::WindowText));
        // The texts wrap and fit within their boxes.
        if (auto* label = qobject_cast<QLabel*>(control); label && label->pixmap().isNull()) {
            QVERIFY(label->wordWrap());
            QVERIFY(label->heightForWidth(label->width()) <= label->height());
        }
    }

    void etchedRuleIsGreyAboveWhite() {
        const QImage shot = openBox()->grab().toImage();
        const QColor grey(128, 128, 128), white(Qt::white), background = shot.pixelColor(200, 160);
        // Grey across row 163 from x 6 to 376; white on rows 164-165 from x 7.
        const std::tuple<int, int, QColor> pixels[] = {
            {6, 163, grey},  {376, 163, grey},  {377, 163, background}, {200, 162, background},
            {7, 164, white}, {200, 165, white}, {6, 164, background},   {200, 166, background}};
        for (const auto& [x, y, colour] : pixels)
            QVERIFY2(shot.pixelColor(x, y) == colour,
                     qPrintable(QString("at %1,%2").arg(x).arg(y)));
    }

    void closingDestroysTheBox_data() {
        // Key 0: the button is clicked, or the box itself is closed.
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("key");
        QTest::newRow("enter_on_button") << "cmdOK" << int(Qt::Key_Return);
        QTest::newRow("esc_on_button") << "cmdOK" << int(Qt::Key_Escape);
        QTest::newRow("enter_on_label") << "lblDescription" << int(Qt::Key_Return);
        QTest::newRow("esc_on_label") << "lblDisclaimer" << int(Qt::Key_Escape);
        QTest::newRow("click_ok") << "cmdOK" << 0;
        QTest::newRow("close_box") << "frmAbout" << 0;
    }

    void closingDestroysTheBox() {
        QFETCH(QString, target);
        QFETCH(int, key);
        QPointer<frmAbout> box = openBox();
        QVERIFY(box);
        QWidget* receiver = target == "frmAbout" ? box : box->findChild<QWidget*>(target);
        QVERIFY(receiver);
        if (key != 0)
            QTest::keyClick(receiver, Qt::Key(key));
        else if (receiver == box)
            box->close();
        else
            QTest::mouseClick(receiver, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
        QVERIFY(!editor_->form1.aboutWindow());
        QVERIFY(editor_->form1.isVisible());
    }

    void aboutTwiceGivesOneBoxClosedWithTheMainWindow() {
        QPointer<frmAbout> box = openBox();
        QVERIFY(box);
        QCOMPARE(openBox(), box);
        QCOMPARE(editor_->form1.findChildren<frmAbout*>().size(), 1);
        // Both choices go through the platform's show, which brings it forward.
        QCOMPARE(windowsGiven("show"), QStringList({"frmAbout", "frmAbout"}));

        QVERIFY(editor_->form1.close());
        QVERIFY(editor_->platform.unscripted.isEmpty());
        QCOMPARE(windowsGiven("close"), QStringList({"frmAbout"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
    }

private:
    frmAbout* openBox() {
        editor_->form1.action(QStringLiteral("About"))->trigger();
        return qobject_cast<frmAbout*>(editor_->form1.aboutWindow());
    }
    // The windows handed to one platform service, in order.
    QStringList windowsGiven(const char* service) const {
        QStringList names;
        for (const auto& call : editor_->platform.callsOf(service))
            names.append(call.text);
        return names;
    }

    struct Editor {
        tarnwick::test::FakePlatform platform;
        tarnwick::FontSettings settings;
        tarnwick::Form1 form1{platform, settings};
    };
    std::optional<Editor> editor_;
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
