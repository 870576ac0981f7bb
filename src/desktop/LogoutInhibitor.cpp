#include "desktop/LogoutInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QGuiApplication>
#include <QVariantMap>
#include <QWidget>

namespace tarnwick {

namespace {

// GNOME's flag for "logging out".
constexpr quint32 logoutFlag = 1;

const QString gnomeService = QStringLiteral("org.gnome.SessionManager");
const QString gnomePath = QStringLiteral("/org/gnome/SessionManager");
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// The X window id; other display servers have none to give.
quint32 x11WindowOf(QWidget* window) {
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return 0;
    return quint32(window->window()->winId());
}

} // namespace

bool sessionBusReachable() {
    // Qt would otherwise fall back to D-Bus's autolaunch, which starts a bus
    // of its own and waits for it.
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

LogoutInhibitor::LogoutInhibitor(const QString& appId, const QString& reason, QObject* parent)
    : QObject(parent), appId_(appId), reason_(reason) {}

LogoutInhibitor::~LogoutInhibitor() {
    wanted_ = false;
    giveBack();
}

void LogoutInhibitor::hold(QWidget* window) {
    window_ = window;
    wanted_ = true;
    if (!held() && !asking_ && !unavailable_)
        ask(Service::GnomeSession);
}

void LogoutInhibitor::release() {
    wanted_ = false;
    if (!asking_)
        giveBack();
}

void LogoutInhibitor::ask(Service service) {
    if (!sessionBusReachable()) {
        unavailable_ = true;
        return;
    }
    QDBusMessage call;
    if (service == Service::GnomeSession) {
        call = QDBusMessage::createMethodCall(gnomeService, gnomePath, gnomeService,
                                              QStringLiteral("Inhibit"));
        call << appId_ << x11WindowOf(window_) << reason_ << logoutFlag;
    } else {
        const quint32 xid = x11WindowOf(window_);
        const QString parent = xid ? QStringLiteral("x11:") + QString::number(xid, 16) : QString();
        call = QDBusMessage::createMethodCall(portalService, portalPath,
                                              QStringLiteral("org.freedesktop.portal.Inhibit"),
                                              QStringLiteral("Inhibit"));
        call << parent << logoutFlag << QVariantMap{{QStringLiteral("reason"), reason_}};
    }
    // A desktop that never answers is given up on after a while; the editor
    // goes on either way.
    asking_ = true;
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, 10000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, service](QDBusPendingCallWatcher* w) { answered(w, service); });
}

void LogoutInhibitor::answered(QDBusPendingCallWatcher* watcher, Service service) {
    watcher->deleteLater();
    asking_ = false;
    if (watcher->isError()) {
        if (service == Service::GnomeSession) {
            ask(Service::Portal);
            return;
        }
        unavailable_ = true;
        return;
    }
    if (service == Service::GnomeSession)
        cookie_ = QDBusPendingReply<quint32>(*watcher).value();
    else
        request_ = QDBusPendingReply<QDBusObjectPath>(*watcher).value().path();
    // Saved again while the desktop was answering.
    if (!wanted_)
        giveBack();
}

void LogoutInhibitor::giveBack() {
    if (cookie_) {
        QDBusMessage call = QDBusMessage::createMethodCall(gnomeService, gnomePath, gnomeService,
                                                           QStringLiteral("Uninhibit"));
        call << *cookie_;
        QDBusConnection::sessionBus().send(call);
        cookie_.reset();
    }
    if (!request_.isEmpty()) {
        QDBusConnection::sessionBus().send(QDBusMessage::createMethodCall(
            portalService, request_, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Close")));
        request_.clear();
    }
}

} // namespace tarnwick
