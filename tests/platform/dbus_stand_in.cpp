#include "dbus_stand_in.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>

#include <map>
#include <mutex>

namespace quorlix::testing {

class StandInService::Objects final : public QDBusVirtualObject {
public:
    explicit Objects(QDBusConnection bus) : bus_(std::move(bus)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        std::lock_guard lock(mutex_);
        if (const auto method = methods_.find(member); method != methods_.end()) {
            connection.send(message.createReply(method->second(args)));
            return true;
        }
        if (member == QLatin1String("GetManagedObjects")) {
            ManagedObjects all;
            for (auto it = table_.constBegin(); it != table_.constEnd(); ++it)
                all[QDBusObjectPath(it.key())] = *it;
            connection.send(message.createReply(QVariant::fromValue(all)));
            return true;
        }
        const InterfaceMap object = table_.value(message.path());
        const QVariantMap properties = args.isEmpty() ? QVariantMap() : object.value(args.at(0).toString());
        if (member == QLatin1String("GetAll")) {
            connection.send(message.createReply(properties));
            return true;
        }
        if (member == QLatin1String("Get") && args.size() == 2 &&
            properties.contains(args.at(1).toString())) {
            connection.send(message.createReply(
                QVariant::fromValue(QDBusVariant(properties.value(args.at(1).toString())))));
            return true;
        }
        connection.send(
            message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), member));
        return true;
    }

    void add(const QString& path, const QString& interface, const QVariantMap& properties) {
        {
            std::lock_guard lock(mutex_);
            table_[path][interface] = properties;
        }
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/"),
                                                         QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                                         QStringLiteral("InterfacesAdded"));
        signal << QVariant::fromValue(QDBusObjectPath(path))
               << QVariant::fromValue(InterfaceMap{{interface, properties}});
        bus_.send(signal);
    }

    void set(const QString& path, const QString& interface, const QString& name, const QVariant& value) {
        {
            std::lock_guard lock(mutex_);
            table_[path][interface][name] = value;
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        signal << interface << QVariantMap{{name, value}} << QStringList();
        bus_.send(signal);
    }

    void answer(const QString& method, std::function<QVariantList(const QVariantList&)> reply) {
        std::lock_guard lock(mutex_);
        methods_[method] = std::move(reply);
    }

private:
    QDBusConnection bus_;
    std::mutex mutex_;
    QMap<QString, InterfaceMap> table_;
    std::map<QString, std::function<QVariantList(const QVariantList&)>> methods_;
};

StandInService::StandInService(QDBusConnection connection, const QString& serviceName)
    : bus_(std::move(connection)), serviceName_(serviceName) {
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ManagedObjects>();
    objects_ = std::make_unique<Objects>(bus_);
    // Registering gives the object helpers of its own; they move to the thread with it.
    registered_ = bus_.isConnected() &&
                  bus_.registerVirtualObject(QStringLiteral("/"), objects_.get(), QDBusConnection::SubPath) &&
                  bus_.registerService(serviceName);
    objects_->moveToThread(&thread_);
    thread_.start();
}

StandInService::~StandInService() {
    bus_.unregisterService(serviceName_);
    bus_.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
    thread_.quit();
    thread_.wait();
}

void StandInService::add(const QString& path, const QString& interface, const QVariantMap& properties) {
    objects_->add(path, interface, properties);
}

void StandInService::set(const QString& path, const QString& interface, const QString& name,
                         const QVariant& value) {
    objects_->set(path, interface, name, value);
}

void StandInService::answer(const QString& method, std::function<QVariantList(const QVariantList&)> reply) {
    objects_->answer(method, std::move(reply));
}

}  // namespace quorlix::testing
