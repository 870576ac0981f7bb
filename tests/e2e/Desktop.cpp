#include "e2e/Desktop.h"

#include "e2e/KeyboardMap.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <QtEndian>

#include <csignal>
#include <unistd.h>

namespace tarnwick::e2e {

namespace {

constexpr int pollMs = 50;

// Polls until the condition holds or the time is up; true when it held.
template <typename Condition> bool waitUntil(int ms, Condition condition) {
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(pollMs);
    }
    return true;
}

QByteArray environOf(const QString& pid) {
    QFile file(QStringLiteral("/proc/%1/environ").arg(pid));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString commandOf(const QString& pid) {
    QFile file(QStringLiteral("/proc/%1/comm").arg(pid));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll().trimmed())
                                          : QString();
}

// Xvfb keeps its screen as an XWD file in -fbdir: a header of 32-bit fields,
// a colour map, then the pixels.
QImage imageFromXwd(const QByteArray& file) {
    if (file.size() < 100)
        return {};
    const auto* data = reinterpret_cast<const uchar*>(file.constData());
    const bool bigEndianHeader = qFromBigEndian<quint32>(data + 4) == 7; // file version
    auto field = [&](int index) {
        return bigEndianHeader ? qFromBigEndian<quint32>(data + 4 * index)
                               : qFromLittleEndian<quint32>(data + 4 * index);
    };
    const quint32 headerSize = field(0), width = field(4), height = field(5);
    const quint32 byteOrder = field(7), bitsPerPixel = field(11), bytesPerLine = field(12);
    const quint32 colours = field(19);
    const qsizetype offset = qsizetype(headerSize) + qsizetype(colours) * 12;
    if (bitsPerPixel != 32 || offset + qsizetype(bytesPerLine) * height > file.size())
        return {};
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (quint32 y = 0; y < height; ++y) {
        const uchar* line = data + offset + qsizetype(bytesPerLine) * y;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (quint32 x = 0; x < width; ++x) {
            const quint32 pixel = byteOrder == 0 ? qFromLittleEndian<quint32>(line + 4 * x)
                                                 : qFromBigEndian<quint32>(line + 4 * x);
            out[x] = 0xff000000u | (pixel & 0xffffffu);
        }
    }
    return image;
}

} // namespace

QString buildDir() {
    return qEnvironmentVariable("TARNWICK_BUILD_DIR");
}

Desktop::Desktop(WindowManager wm, const QString& locale) : locale_(locale) {
    xvfb_ = startInOwnGroup(QStringLiteral("Xvfb"),
                            {QStringLiteral("-displayfd"), QStringLiteral("1"),
                             QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"), QStringLiteral("-fbdir"), frameBuffer_.path()});
    // With -displayfd the server picks a free display and writes its number
    // once it accepts connections.
    QByteArray number;
    waitUntil(20000, [&] {
        xvfb_->waitForReadyRead(pollMs);
        number += xvfb_->readAllStandardOutput();
        return number.contains('\n') || xvfb_->state() == QProcess::NotRunning;
    });
    if (!number.contains('\n')) {
        startError_ = QStringLiteral("Xvfb did not start: ") + xvfb_->readAllStandardError();
        return;
    }
    display_ = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    if (wm == WindowManager::None)
        return;
    const auto managing = [&] {
        QProcess xprop;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        xprop.setProcessEnvironment(env);
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        xprop.waitForFinished();
        return xprop.readAllStandardOutput().contains("window id");
    };
    // On a loaded machine openbox was seen to give up on a display that was
    // still settling; a second start then takes it over.
    bool managed = false;
    for (int attempt = 0; attempt < 3 && !managed; ++attempt) {
        QProcess* openbox =
            startInOwnGroup(QStringLiteral("openbox"),
                            attempt ? QStringList{QStringLiteral("--replace")} : QStringList());
        managed =
            waitUntil(20000,
                      [&] { return managing() || openbox->state() == QProcess::NotRunning; }) &&
            managing();
    }
    if (!managed)
        startError_ = QStringLiteral("openbox did not take over the display");
}

Desktop::~Desktop() {
    stop();
}

QStringList Desktop::stop() {
    stopLoad();
    killClients();
    QStringList left = clients();
    for (const auto& process : processes_) {
        if (process->state() != QProcess::NotRunning) {
            ::kill(-pid_t(process->processId()), SIGKILL);
            if (!process->waitForFinished(5000))
                left.append(QString::number(process->processId()) + QStringLiteral(" ") +
                            process->program());
        }
    }
    return left;
}

QProcess* Desktop::startInOwnGroup(const QString& program, const QStringList& args,
                                   const QString& folder, const QProcessEnvironment& extra) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("LC_ALL"), locale_);
    if (!display_.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(extra);
    process->setProcessEnvironment(env);
    if (!folder.isEmpty())
        process->setWorkingDirectory(folder);
    // A group of its own, so that stopping it stops whatever it started.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
    if (program != QLatin1String("Xvfb"))
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, args);
    process->waitForStarted();
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

bool Desktop::startEditor(const QString& workingFolder, const QProcessEnvironment& extra) {
    editor_ =
        startInOwnGroup(buildDir() + QStringLiteral("/bin/tarnwick"), {}, workingFolder, extra);
    const QString title = QStringLiteral("^Untitled - Tarnwick$");
    const QString window = waitForWindow(title);
    if (window.isEmpty())
        return false;
    // The user clicks into the new window first: without a window manager
    // it gets no focus otherwise, and on a busy machine openbox was seen to
    // leave the focus on the root window. A click that lands while the
    // window is still being mapped is lost, so a user would click again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        click(geometry(window).center());
        if (waitForFocus(title, 5000))
            return true;
    }
    return false;
}

QProcess* Desktop::startProgram(const QString& program, const QStringList& args) {
    return startInOwnGroup(program, args);
}

bool Desktop::editorRunning() const {
    return editor_ && editor_->state() != QProcess::NotRunning;
}

bool Desktop::waitForEditorExit(int ms) {
    return editor_ && (editor_->state() == QProcess::NotRunning || editor_->waitForFinished(ms));
}

QString Desktop::xdotool(const QStringList& args) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("xdotool"), args);
    process.waitForFinished(30000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

void Desktop::keys(const QStringList& names) const {
    xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40")} +
            names);
}

void Desktop::type(const QString& text) const {
    // xdotool types a character that the keyboard map lacks through a keycode
    // it maps to that character for a moment; the client reloads the map
    // later and may find it changed back, losing the character. So every
    // such character gets a spare keycode of its own first, for good.
    QString missing;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 && !c.isSurrogate() && !mapped_.contains(c) && !missing.contains(c))
            missing += c;
    }
    if (!missing.isEmpty() && mapCharacters(display_, missing, mapped_))
        QThread::msleep(300); // the clients' turn to read the new map
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void Desktop::holdKey(const QString& name, int ms) const {
    xdotool({QStringLiteral("keydown"), name, QStringLiteral("sleep"), QString::number(ms / 1000.0),
             QStringLiteral("keyup"), name});
}

void Desktop::click(QPoint screen, int holdMs) const {
    const QStringList move{QStringLiteral("mousemove"), QString::number(screen.x()),
                           QString::number(screen.y())};
    if (holdMs == 0) {
        xdotool(move + QStringList{QStringLiteral("click"), QStringLiteral("1")});
        return;
    }
    xdotool(move + QStringList{QStringLiteral("mousedown"), QStringLiteral("1"),
                               QStringLiteral("sleep"), QString::number(holdMs / 1000.0),
                               QStringLiteral("mouseup"), QStringLiteral("1")});
}

QStringList Desktop::windows(const QString& titlePattern) const {
    return xdotool({QStringLiteral("search"), QStringLiteral("--name"), titlePattern})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList Desktop::windowsOfClass(const QString& classPattern) const {
    return xdotool({QStringLiteral("search"), QStringLiteral("--class"), classPattern})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString Desktop::waitForWindow(const QString& titlePattern, int ms) const {
    QStringList found;
    waitUntil(ms, [&] { return !(found = windows(titlePattern)).isEmpty(); });
    return found.value(0);
}

bool Desktop::waitForNoWindow(const QString& titlePattern, int ms) const {
    return waitUntil(ms, [&] { return windows(titlePattern).isEmpty(); });
}

QString Desktop::focusedTitle() const {
    return xdotool({QStringLiteral("getwindowfocus"), QStringLiteral("getwindowname")});
}

bool Desktop::waitForFocus(const QString& titlePattern, int ms) const {
    const QRegularExpression pattern(titlePattern);
    return waitUntil(ms, [&] { return pattern.match(focusedTitle()).hasMatch(); });
}

bool Desktop::waitForTerminalFocus(int ms) const {
    return waitUntil(ms, [&] {
        const QString focus = xdotool({QStringLiteral("getwindowfocus")});
        return !focus.isEmpty() && windowsOfClass(QStringLiteral("xterm")).contains(focus);
    });
}

QRect Desktop::geometry(const QString& windowId) const {
    QProcess xwininfo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    xwininfo.setProcessEnvironment(env);
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), windowId});
    xwininfo.waitForFinished();
    const QString info = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
    auto value = [&](const char* label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                 value("Height"));
}

QImage Desktop::screen() const {
    QFile file(frameBuffer_.filePath(QStringLiteral("Xvfb_screen0")));
    return file.open(QIODevice::ReadOnly) ? imageFromXwd(file.readAll()) : QImage();
}

void Desktop::startLoad(int loops) {
    for (int i = 0; i < loops; ++i) {
        auto* busy = startInOwnGroup(QStringLiteral("sh"),
                                     {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
        load_.append(busy);
    }
}

void Desktop::stopLoad() {
    for (QProcess* busy : std::as_const(load_)) {
        ::kill(-pid_t(busy->processId()), SIGKILL);
        busy->waitForFinished(5000);
    }
    load_.clear();
}

QStringList Desktop::clients() const {
    QStringList found;
    if (display_.isEmpty())
        return found;
    const QByteArray mark = "DISPLAY=" + display_.toLatin1();
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QString server = xvfb_ ? QString::number(xvfb_->processId()) : QString();
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (pid.toLongLong() <= 0 || pid == self || pid == server)
            continue;
        const QList<QByteArray> environment = environOf(pid).split('\0');
        if (environment.contains(mark))
            found.append(pid + QLatin1Char(' ') + commandOf(pid));
    }
    return found;
}

void Desktop::killClients() {
    // Consoles put themselves into sessions of their own, out of reach of
    // the groups started here: find everything by the display it talks to.
    for (int round = 0; round < 3; ++round) {
        const QStringList left = clients();
        if (left.isEmpty())
            return;
        for (const QString& client : left)
            ::kill(pid_t(client.section(QLatin1Char(' '), 0, 0).toInt()),
                   round == 0 ? SIGTERM : SIGKILL);
        waitUntil(3000, [&] { return clients().isEmpty(); });
    }
}

} // namespace tarnwick::e2e
