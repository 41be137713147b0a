#pragma once
// Lock and unlock notices of this login session on Linux.
//
// - logind, on the system bus: the session of this process (GetSessionByPID), or, for a
//   process outside any session (started by the user's service manager), the user's display
//   session. Its own object path carries the Lock and Unlock requests and the changes of its
//   LockedHint.
// - The desktop's screen saver, on the session bus: ActiveChanged of
//   "org.freedesktop.ScreenSaver" and "org.gnome.ScreenSaver", which counts only as what
//   carried out a Lock request (see SessionLockState).
// - Screen-locker windows on X11, for lockers that tell nothing else.
//
// The session is looked up without blocking the event loop; notices before the answer are
// not heard. Whether the session is locked at start is not announced. Main thread only.

#include "platform/linux/session_lock_state.h"
#include "platform/screen_lock_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <vector>

namespace quorlix::platform {

class X11ScreenLockers;

class SessionLockNotifications final : public QObject, public ScreenLockNotifications {
    Q_OBJECT

public:
    // `lockers` may be none (no X display).
    explicit SessionLockNotifications(QDBusConnection systemBus = QDBusConnection::systemBus(),
                                      QDBusConnection sessionBus = QDBusConnection::sessionBus(),
                                      X11ScreenLockers* lockers = nullptr);
    ~SessionLockNotifications() override;

    Subscription observe(std::function<void(ScreenLockNotice)> handler) override;

    // The logind session followed; empty until logind has named one.
    const QString& sessionPath() const { return sessionPath_; }
    // What has been heard so far.
    const SessionLockState& state() const { return state_; }

    // The longest any call to logind may take.
    static constexpr int callTimeoutMs = 3000;

private Q_SLOTS:
    void lockRequested();
    void unlockRequested();
    void sessionPropertiesChanged(const QDBusMessage& message);
    void screenSaverChanged(bool active);

private:
    void findSession();
    void findDisplaySession();
    void follow(const QString& path);
    void readLockedHint();

    QDBusConnection system_;
    QDBusConnection session_;
    QString sessionPath_;
    Signal<ScreenLockNotice> notices_;
    SessionLockState state_;
    std::vector<Subscription> lockerSubscriptions_;
};

}  // namespace quorlix::platform
