#include "platform/linux/dbus_agent_notifications.h"

#include <QDBusMessage>
#include <QObject>

namespace quorlix::platform {

class AgentSignalReceiver final : public QObject {
    Q_OBJECT

public:
    explicit AgentSignalReceiver(DBusAgentNotifications& owner) : owner_(owner) {}

public Q_SLOTS:
    void received(const QDBusMessage& message) { owner_.received(message.interface(), message.member()); }

private:
    DBusAgentNotifications& owner_;
};

namespace {

// The interface and member a notification name stands for; nothing for a name that is no
// valid signal name (no full stop, or nothing on one side of the last).
std::optional<std::pair<QString, QString>> signalOf(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return std::nullopt;
    return std::pair{QString::fromStdString(name.substr(0, dot)),
                     QString::fromStdString(name.substr(dot + 1))};
}

QString objectPath() {
    return QString::fromUtf8(agentObjectPath.data(), static_cast<qsizetype>(agentObjectPath.size()));
}

}  // namespace

DBusAgentNotifications::DBusAgentNotifications(const QDBusConnection& connection)
    : connection_(connection), receiver_(std::make_unique<AgentSignalReceiver>(*this)) {}

DBusAgentNotifications::~DBusAgentNotifications() {
    // Signals must not reach a half-destroyed listener.
    if (connection_.isConnected()) {
        for (const QString& interface : interfaces_)
            connection_.disconnect(QString(), objectPath(), interface, QString(), receiver_.get(),
                                   SLOT(received(QDBusMessage)));
    }
    receiver_.reset();
}

std::optional<Subscription> DBusAgentNotifications::observe(const std::string& name,
                                                            std::function<void()> handler) {
    auto& signal = signals_[name];
    if (!signal) {
        const auto parts = signalOf(name);
        // One match per interface, for all its members: each match is a wait on the bus's
        // thread, and an agent's events all share its interface.
        const bool listening = parts && connection_.isConnected() &&
                               (interfaces_.contains(parts->first) ||
                                connection_.connect(QString(), objectPath(), parts->first, QString(),
                                                    receiver_.get(), SLOT(received(QDBusMessage))));
        if (!listening) {
            signals_.erase(name);
            return std::nullopt;
        }
        interfaces_.insert(parts->first);
        signal = std::make_unique<Signal<>>();
    }
    return signal->connect(std::move(handler));
}

void DBusAgentNotifications::received(const QString& interface, const QString& member) {
    const auto it = signals_.find((interface + QLatin1Char('.') + member).toStdString());
    if (it != signals_.end()) it->second->emit();
}

}  // namespace quorlix::platform

#include "dbus_agent_notifications.moc"
