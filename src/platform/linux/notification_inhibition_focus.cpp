#include "platform/linux/notification_inhibition_focus.h"

#include "platform/linux/dbus_properties.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QVariantMap>

namespace quorlix::platform {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
const QString inhibitedProperty = QStringLiteral("Inhibited");

QDBusMessage inhibitedQuery() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
    call << interface << inhibitedProperty;
    // Asking must not start a notification server that is not running.
    call.setAutoStartService(false);
    return call;
}

std::optional<bool> inhibitedFrom(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    const QVariant value = reply.arguments().at(0).value<QDBusVariant>().variant();
    if (value.typeId() != QMetaType::Bool) return std::nullopt;
    return value.toBool();
}

}  // namespace

NotificationInhibitionFocus::NotificationInhibitionFocus(QDBusConnection bus) : bus_(std::move(bus)) {
    if (!bus_.isConnected()) return;
    bus_.connect(service, path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                 SLOT(propertiesChanged(QDBusMessage)));
    // A server that comes (or comes back) announces nothing of its state: ask it.
    watcher_ = new QDBusServiceWatcher(service, bus_, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] { ask(); });
}

std::optional<bool> NotificationInhibitionFocus::doNotDisturb() {
    if (!bus_.isConnected()) return std::nullopt;
    if (!asked_) {
        asked_ = true;
        inhibited_ = inhibitedFrom(bus_.call(inhibitedQuery(), QDBus::Block, firstReadTimeoutMs));
    } else {
        ask();
    }
    return inhibited_;
}

Subscription NotificationInhibitionFocus::observe(std::function<void()> handler) {
    return changes_.connect(std::move(handler));
}

void NotificationInhibitionFocus::ask() {
    if (asking_) return;
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(inhibitedQuery(), callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        asking_ = false;
        store(inhibitedFrom(w->reply()));
    });
}

void NotificationInhibitionFocus::propertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args.at(0).toString() != interface) return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(args.at(1));
    const auto it = changed.constFind(inhibitedProperty);
    if (it != changed.constEnd() && it->typeId() == QMetaType::Bool) {
        store(it->toBool());
    } else if (args.size() >= 3 && args.at(2).toStringList().contains(inhibitedProperty)) {
        ask();
    }
}

void NotificationInhibitionFocus::store(std::optional<bool> inhibited) {
    if (inhibited == inhibited_) return;
    inhibited_ = inhibited;
    changes_.emit();
}

}  // namespace quorlix::platform
