#pragma once
// Do-not-disturb as the desktop's notification server reports it: the "Inhibited" property
// of "org.freedesktop.Notifications" on the session bus, which KDE Plasma keeps true while
// its do-not-disturb mode is on.
//
// The first reading waits for the server (at most 250 ms); later readings answer from what
// was last heard at once and ask again in the background, so the main thread never waits on
// the bus. Property changes are followed as they are announced.

#include "platform/desktop_focus.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace quorlix::platform {

class NotificationInhibitionFocus final : public QObject, public DesktopFocus {
    Q_OBJECT

public:
    // The server on the session bus, or on the bus at `busAddress` when one is given.
    explicit NotificationInhibitionFocus(const QString& busAddress = {});
    ~NotificationInhibitionFocus() override;

    std::optional<bool> doNotDisturb() override;
    Subscription observe(std::function<void()> handler) override;

    static constexpr int firstReadTimeoutMs = 250;
    static constexpr int callTimeoutMs = 2000;

private Q_SLOTS:
    void propertiesChanged(const QDBusMessage& message);

private:
    void ask();
    void store(std::optional<bool> inhibited);

    QString connectionName_;
    QDBusConnection bus_;
    bool asked_ = false;
    bool asking_ = false;
    std::optional<bool> inhibited_;
    Signal<> changes_;
};

}  // namespace quorlix::platform
