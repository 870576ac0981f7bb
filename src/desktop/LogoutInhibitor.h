#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;
class QWidget;

namespace tarnwick {

// While held, the desktop knows that this program wants the session to wait
// and why, so a logout names it instead of ending it unasked: GNOME's session
// manager where it runs, else the desktop portal, else nothing. Every call is
// asynchronous, and nothing touches the session bus until the first hold.
class LogoutInhibitor : public QObject {
    Q_OBJECT

public:
    LogoutInhibitor(const QString& appId, const QString& reason, QObject* parent = nullptr);
    ~LogoutInhibitor() override;

    // The window the desktop shows as the one that waits.
    void hold(QWidget* window);
    void release();

private:
    enum class Service { GnomeSession, Portal };

    void ask(Service service);
    void answered(QDBusPendingCallWatcher* watcher, Service service);
    void giveBack();
    bool held() const { return cookie_.has_value() || !request_.isEmpty(); }

    QString appId_;
    QString reason_;
    QPointer<QWidget> window_;
    bool wanted_ = false;
    bool asking_ = false;
    // Neither service answered: the session has no way to wait for us.
    bool unavailable_ = false;
    std::optional<quint32> cookie_; // GNOME's session manager
    QString request_;               // the portal's request object
};

// A session bus this process can reach without starting one: the address
// in the environment, or the user's bus socket.
bool sessionBusReachable();

} // namespace tarnwick
