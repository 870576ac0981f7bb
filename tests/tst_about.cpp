// The About box: its texts and layout, how it closes, and that there is one.
#include "about/AboutTexts.h"
#include "about/frmAbout.h"
#include "support/Editor.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::test;

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void init() { editor_.emplace().form.show(); }
    void cleanup() { editor_.reset(); }

    void openingShowsTheBox() {
        QCOMPARE(abouttexts::versionLine(12, 305, 7), QStringLiteral("Version 12.305.7"));
        frmAbout* box = openBox();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("About tarnpad"));
        QCOMPARE(box->findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 1.0.0"));
        QCOMPARE(box->findChild<QLabel*>("lblDisclaimer")->text(),
                 QStringLiteral("I made this to help myself avoid the hassles in the execution of "
                                "Java Files. It is not an IDE. Just have Fun!"));
        QCOMPARE(box->findChild<QLabel*>("picIcon")->pixmap().size(), QSize(32, 32));

        // A fixed-size, modeless dialog frame owned by the main window, with only a close box.
        QCOMPARE(box->windowType(), Qt::Dialog);
        QCOMPARE(box->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint),
                 Qt::WindowCloseButtonHint);
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QCOMPARE(box->size(), QSize(382, 237));
        QVERIFY(!box->isModal());

        // The focus starts on the default button.
        auto* cmdOK = box->findChild<QPushButton*>("cmdOK");
        QVERIFY(cmdOK->isDefault());
        QCOMPARE(box->focusWidget(), cmdOK);

        // Each control's place, and whether its text is black; the texts wrap within their boxes.
        const std::tuple<const char*, QRect, bool> places[] = {
            {"picIcon", {16, 16, 36, 36}, false},
            {"lblTitle", {70, 16, 259, 32}, true},
            {"lblVersion", {70, 52, 259, 15}, false},
            {"lblDescription", {72, 80, 259, 78}, true},
            {"lblDisclaimer", {17, 175, 258, 47}, true},
            {"cmdOK", {283, 184, 84, 23}, false}};
        for (const auto& [name, place, black] : places) {
            auto* control = box->findChild<QWidget*>(name);
            QCOMPARE(control->geometry(), place);
            QCOMPARE(control->palette().color(QPalette::WindowText),
                     black ? QColor(Qt::black) : box->palette().color(QPalette::WindowText));
            if (auto* label = qobject_cast<QLabel*>(control); label && label->pixmap().isNull())
                QVERIFY(label->wordWrap() &&
                        label->heightForWidth(label->width()) <= label->height());
        }
    }

    void enterAndEscCloseTheBoxWhereverTheFocusIs_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("key");
        QTest::newRow("enter_on_label") << "lblDescription" << int(Qt::Key_Return);
        QTest::newRow("esc_on_label") << "lblDisclaimer" << int(Qt::Key_Escape);
    }

    void enterAndEscCloseTheBoxWhereverTheFocusIs() {
        QFETCH(QString, target);
        QFETCH(int, key);
        QPointer<frmAbout> box = openBox();
        QTest::keyClick(box->findChild<QWidget*>(target), Qt::Key(key));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
        QVERIFY(editor_->form.isVisible());
    }

    void aboutTwiceGivesOneBoxClosedWithTheMainWindow() {
        QPointer<frmAbout> box = openBox();
        QCOMPARE(openBox(), box);
        QCOMPARE(editor_->form.findChildren<frmAbout*>().size(), 1);
        // Both choices go through the platform's show, which brings it forward.
        QCOMPARE(editor_->platform.callsOf("show").size(), 2);

        QVERIFY(editor_->form.close());
        QCOMPARE(editor_->platform.callsOf("close"),
                 QList<PlatformCall>({{"close", "frmAbout", {}, -1}}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
    }

private:
    frmAbout* openBox() {
        editor_->form.action(QStringLiteral("About"))->trigger();
        return qobject_cast<frmAbout*>(editor_->form.aboutWindow());
    }
    std::optional<Editor> editor_;
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
