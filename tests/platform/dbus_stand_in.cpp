#include "dbus_stand_in.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>

#include <mutex>

namespace quorlix::testing {

class StandInService::Objects final : public QDBusVirtualObject {
    using Handler = StandInService::Handler;

public:
    explicit Objects(QDBusConnection bus) : bus_(std::move(bus)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        std::lock_guard lock(mutex_);
        if (const auto handler = handlers_.constFind(message.interface() + '.' + member);
            handler != handlers_.constEnd()) {
            // An empty answer leaves the caller waiting, as a service that hangs does.
            if (const QDBusMessage reply = (*handler)(message); reply.type() != QDBusMessage::InvalidMessage)
                connection.send(reply);
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

    void handle(const QString& name, Handler handler) {
        std::lock_guard lock(mutex_);
        handlers_.insert(name, std::move(handler));
    }

private:
    QDBusConnection bus_;
    std::mutex mutex_;
    QMap<QString, Handler> handlers_;
    QMap<QString, InterfaceMap> table_;
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

void StandInService::handle(const QString& interface, const QString& member, Handler handler) {
    objects_->handle(interface + '.' + member, std::move(handler));
}

void StandInService::signal(const QString& path, const QString& interface, const QString& member,
                            const QList<QVariant>& arguments) {
    QDBusMessage message = QDBusMessage::createSignal(path, interface, member);
    message.setArguments(arguments);
    bus_.send(message);
}

void StandInService::set(const QString& path, const QString& interface, const QString& name,
                         const QVariant& value) {
    objects_->set(path, interface, name, value);
}

}  // namespace quorlix::testing
