// The editor under a dark colour scheme as a user sets one up with qt6ct:
// its own dark palette, read from the user's configuration. Measured on the
// screen, the text area's text and the About box's labels read as well as
// they do on a light desktop.
#include "e2e/Session.h"
#include "support/Legibility.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tarnwick;
using namespace tarnwick::e2e;
using tarnwick::test::Legibility;
using tarnwick::test::legibilityIn;

namespace {

// The About box's labels in its client area (their places in twips, at 15
// twips a pixel).
const std::pair<const char*, QRect> aboutLabels[] = {{"lblTitle", {70, 16, 259, 32}},
                                                     {"lblVersion", {70, 52, 259, 15}},
                                                     {"lblDescription", {72, 80, 259, 78}},
                                                     {"lblDisclaimer", {17, 175, 258, 47}}};

} // namespace

class TestE2eColours : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void darkSchemeOfQt6ct();

private:
    // What the region of the screen shows once it has stopped changing.
    Legibility settled(const QRect& region) const;

    std::unique_ptr<Session> s_;
};

void TestE2eColours::cleanup() {
    if (s_ && s_->desktop)
        QCOMPARE(s_->desktop->stop(), QStringList());
    s_.reset();
}

Legibility TestE2eColours::settled(const QRect& region) const {
    Legibility seen = legibilityIn(s_->desktop->screen(), region);
    for (int same = 0, tries = 0; same < 3 && tries < 50; ++tries) {
        QTest::qWait(150);
        const Legibility now = legibilityIn(s_->desktop->screen(), region);
        same = now.ink == seen.ink && now.background == seen.background &&
                       now.inkPixels == seen.inkPixels
                   ? same + 1
                   : 0;
        seen = now;
    }
    return seen;
}

void TestE2eColours::darkSchemeOfQt6ct() {
    const QString scheme = QStringLiteral("/usr/share/qt6ct/colors/darker.conf");
    if (!QFile::exists(scheme))
        QSKIP("qt6ct is not installed (scripts/setup.sh installs it)");
    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkpath(QStringLiteral("qt6ct")));
    QFile settings(config.filePath(QStringLiteral("qt6ct/qt6ct.conf")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Appearance]\ncolor_scheme_path=" + scheme.toUtf8() +
                   "\ncustom_palette=true\nstyle=Fusion\n");
    settings.close();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), QStringLiteral("qt6ct"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());

    s_ = std::make_unique<Session>();
    QCOMPARE(s_->start(Desktop::WindowManager::Openbox, environment), QString());
    const QRect window =
        s_->desktop->geometry(s_->desktop->waitForWindow(QStringLiteral("^Untitled - Tarnwick$")));
    s_->desktop->type(QStringLiteral("class Dark { int caret; }"));
    // The pointer, drawn into the screen, would count as ink; out of the way.
    s_->desktop->xdotool(
        {QStringLiteral("mousemove"), QStringLiteral("1000"), QStringLiteral("750")});

    // The scheme is in force: the menu bar is dark.
    const QImage screen = s_->desktop->screen();
    QVERIFY2(contrastRatio(screen.pixel(window.topLeft() + QPoint(window.width() - 20, 8)),
                           Qt::white) >= readableContrast,
             "the menu bar is not dark");
    // The text area's paper starts where the menu bar and the window's
    // border end; the first line of text lies at its top.
    const QRgb paper = qRgb(255, 255, 255);
    QPoint corner(window.left() + window.width() / 2, window.top());
    while (corner.y() < window.bottom() && screen.pixel(corner) != paper)
        corner.ry()++;
    corner.setX(window.left());
    while (corner.x() < window.right() && screen.pixel(corner + QPoint(0, 2)) != paper)
        corner.rx()++;
    const Legibility text = settled(QRect(corner, QSize(window.width() - 40, 18)));
    QVERIFY2(text.readable(), qPrintable(QStringLiteral("text area: ") + text.describe()));

    s_->menu({QStringLiteral("Left"), QStringLiteral("Down"), QStringLiteral("Return")});
    const QString about = s_->desktop->waitForWindow(QStringLiteral("^About tarnpad$"));
    QVERIFY(s_->desktop->waitForFocus(QStringLiteral("^About tarnpad$")));
    const QPoint box = s_->desktop->geometry(about).topLeft();
    // The pointer, drawn into the screen, would count as ink.
    s_->desktop->xdotool(
        {QStringLiteral("mousemove"), QStringLiteral("1000"), QStringLiteral("750")});
    for (const auto& [name, place] : aboutLabels) {
        const Legibility label = settled(place.translated(box));
        QVERIFY2(label.readable(),
                 qPrintable(QLatin1String(name) + QStringLiteral(": ") + label.describe()));
    }
}

QTEST_GUILESS_MAIN(TestE2eColours)
#include "tst_e2e_colours.moc"
