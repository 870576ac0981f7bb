// The font dialog and the About box on a real desktop, with real clicks and
// keys; the font list's highlight is read from the screen.
#include "e2e/Session.h"

#include <QTest>

#include <optional>

using namespace tarnwick::e2e;

namespace {

// List1 inside the font dialog's client area: Frame1 at (16, 24), the list
// at (8, 24) in it, 129 x 147 pixels.
const QRect list1InForm2(24, 48, 129, 147);
const QString form2Title = QStringLiteral("^Font\\.\\.\\.$");

// The highlighted row of a list on the screen as (top, height): the lines
// where most of the list's width is the selection colour (a strong blue).
std::optional<QPair<int, int>> highlightedBand(const QImage& screen, const QRect& list) {
    int top = -1, bottom = -1;
    for (int y = list.top() + 2; y < list.bottom() - 1; ++y) {
        int blue = 0;
        for (int x = list.left() + 4; x < list.right() - 20; ++x) {
            const QRgb p = screen.pixel(x, y);
            if (qBlue(p) > 120 && qBlue(p) > qRed(p) + 60)
                ++blue;
        }
        if (blue * 2 > list.width() - 24) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    if (top < 0)
        return std::nullopt;
    return qMakePair(top, bottom - top + 1);
}

} // namespace

class TestE2eDialogs : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fontFallBack_data();
    void fontFallBack();
    void about_data();
    void about();

private:
    // The list's band once the screen has stopped changing.
    std::optional<QPair<int, int>> settledBand(const QRect& list) const;

    std::unique_ptr<Session> s_;
};

void TestE2eDialogs::init() {
    s_ = std::make_unique<Session>();
    QCOMPARE(s_->start(), QString());
}

void TestE2eDialogs::cleanup() {
    QCOMPARE(s_->desktop->stop(), QStringList());
    s_.reset();
}

std::optional<QPair<int, int>> TestE2eDialogs::settledBand(const QRect& list) const {
    std::optional<QPair<int, int>> band = highlightedBand(s_->desktop->screen(), list);
    for (int same = 0, tries = 0; same < 3 && tries < 50; ++tries) {
        QTest::qWait(150);
        const auto now = highlightedBand(s_->desktop->screen(), list);
        same = now == band ? same + 1 : 0;
        band = now;
    }
    return band;
}

void TestE2eDialogs::fontFallBack_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("click") << QStringLiteral("click");
    QTest::newRow("slow click") << QStringLiteral("slow click");
    QTest::newRow("arrow key") << QStringLiteral("arrow key");
}

// "Impact" (row 6) is not installed: after the message the list must show
// the last good font again, as the dialog's logic does.
void TestE2eDialogs::fontFallBack() {
    QFETCH(QString, how);
    s_->menu({"Right", "Right", "Return"}); // Font....
    QVERIFY(s_->desktop->waitForFocus(form2Title));
    const QRect list = list1InForm2.translated(
        s_->desktop->geometry(s_->desktop->waitForWindow(form2Title)).topLeft());
    // "MS Sans Serif", row 9, is selected at the first opening.
    const auto start = settledBand(list);
    QVERIFY(start);
    const int rowHeight = start->second;
    auto rowTop = [&](int row) { return start->first + (row - 9) * rowHeight; };
    auto rowPoint = [&](int row) { return QPoint(list.left() + 30, rowTop(row) + rowHeight / 2); };

    int lastGood = 9;
    if (how == QLatin1String("arrow key")) {
        lastGood = 5; // "Courier New", installed as Liberation Mono
        s_->desktop->click(rowPoint(5));
        QTRY_COMPARE(settledBand(list)->first, rowTop(5));
        s_->desktop->keys({"Down"});
    } else {
        s_->desktop->click(rowPoint(6), how == QLatin1String("slow click") ? 600 : 0);
    }
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^Not Found$")));
    s_->desktop->keys({"Return"});
    QVERIFY(s_->desktop->waitForFocus(form2Title));
    QVERIFY(s_->desktop->waitForNoWindow(QStringLiteral("^Not Found$")));

    const auto after = settledBand(list);
    QVERIFY(after);
    QCOMPARE(after->first, rowTop(lastGood));
}

void TestE2eDialogs::about_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("Enter") << QStringLiteral("Return");
    QTest::newRow("Esc") << QStringLiteral("Escape");
}

void TestE2eDialogs::about() {
    QFETCH(QString, key);
    s_->menu({"Left", "Down", "Return"}); // Help, About
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^About tarnpad$")));
    s_->desktop->keys({key});
    QVERIFY(s_->desktop->waitForNoWindow(QStringLiteral("^About tarnpad$")));
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^Untitled - Tarnwick$")));
}

QTEST_GUILESS_MAIN(TestE2eDialogs)
#include "tst_e2e_dialogs.moc"
