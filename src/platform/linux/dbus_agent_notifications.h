#pragma once
// The agents' notifications as signals on a D-Bus bus (the session bus in the application,
// a private one in tests): the name "com.halvik.quorlix.agent.cursor.done" is the signal
// `done` of the interface "com.halvik.quorlix.agent.cursor", sent from the object path
// "/com/halvik/quorlix" by any sender. Only processes of the bus's own user reach it.
//
// Main thread only; handlers run on the main thread.

// published.h comes before any Qt header (see mpris_bus.h).
#include "platform/published.h"

#include "platform/agent_notifications.h"

#include <QDBusConnection>
#include <QString>

#include <map>
#include <memory>
#include <set>

namespace quorlix::platform {

class AgentSignalReceiver;

class DBusAgentNotifications final : public AgentNotifications {
public:
    explicit DBusAgentNotifications(const QDBusConnection& connection);
    ~DBusAgentNotifications() override;
    DBusAgentNotifications(const DBusAgentNotifications&) = delete;
    DBusAgentNotifications& operator=(const DBusAgentNotifications&) = delete;

    std::optional<Subscription> observe(const std::string& name, std::function<void()> handler) override;

private:
    friend class AgentSignalReceiver;
    void received(const QString& interface, const QString& member);

    QDBusConnection connection_;
    std::unique_ptr<AgentSignalReceiver> receiver_;
    // Names listened to on the bus, each with its subscribers; the interfaces they belong to.
    std::map<std::string, std::unique_ptr<Signal<>>> signals_;
    std::set<QString> interfaces_;
};

}  // namespace quorlix::platform
