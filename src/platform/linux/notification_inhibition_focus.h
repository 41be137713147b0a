#pragma once
// Do-not-disturb as the desktop's notification server reports it: the "Inhibited" property
// of "org.freedesktop.Notifications" on the session bus, which KDE Plasma keeps true while
// its do-not-disturb mode is on.
//
// The first reading waits for the server (at most 250 ms); later readings answer from what
// was last heard at once and ask again in the background, so the main thread never waits on
// the bus. Property changes are followed as they are announced, and a server that starts
// later is asked once it is on the bus: nothing needs polling.

#include "platform/desktop_focus.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

namespace quorlix::platform {

class NotificationInhibitionFocus final : public QObject, public DesktopFocus {
    Q_OBJECT

public:
    // The server on `bus` (tests pass a private bus of their own).
    explicit NotificationInhibitionFocus(QDBusConnection bus = QDBusConnection::sessionBus());

    std::optional<bool> doNotDisturb() override;
    Subscription observe(std::function<void()> handler) override;

    static constexpr int firstReadTimeoutMs = 250;
    static constexpr int callTimeoutMs = 2000;

private Q_SLOTS:
    void propertiesChanged(const QDBusMessage& message);

private:
    void ask();
    void store(std::optional<bool> inhibited);

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_ = nullptr;
    bool asked_ = false;
    bool asking_ = false;
    std::optional<bool> inhibited_;
    Signal<> changes_;
};

}  // namespace quorlix::platform
