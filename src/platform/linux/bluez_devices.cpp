#include "platform/linux/bluez_devices.h"

#include "platform/linux/dbus_properties.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMap>
#include <QVariantMap>

#include <nlohmann/json.hpp>

namespace quorlix::platform {

namespace {

using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;

const QString service = QStringLiteral("org.bluez");
const QString deviceInterface = QStringLiteral("org.bluez.Device1");
const QString batteryInterface = QStringLiteral("org.bluez.Battery1");
const QString objectManagerInterface = QStringLiteral("org.freedesktop.DBus.ObjectManager");

void registerTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<InterfaceMap>();
        qDBusRegisterMetaType<ManagedObjects>();
        return true;
    }();
    (void)registered;
}

QString nameOf(const QVariantMap& device) {
    for (const char* key : {"Alias", "Name"}) {
        const QString name = device.value(QString::fromLatin1(key)).toString();
        if (!name.isEmpty()) return name;
    }
    return {};
}

// The Bluetooth major class: from the class of device, or for devices that have none (Low
// Energy ones) from the kind of icon BlueZ gives them.
std::uint32_t majorClassOf(const QVariantMap& device) {
    const QVariant cls = device.value(QStringLiteral("Class"));
    if (cls.isValid()) return (cls.toUInt() >> 8) & 0x1f;
    if (device.value(QStringLiteral("Icon")).toString().startsWith(QStringLiteral("audio-")))
        return BluetoothDevice::audioVideoClass;
    return 0;
}

BluetoothDevice deviceFrom(const QVariantMap& properties) {
    BluetoothDevice d;
    const QString name = nameOf(properties);
    if (!name.isEmpty()) d.name = name.toStdString();
    const QString address = properties.value(QStringLiteral("Address")).toString();
    if (!address.isEmpty()) d.address = address.toStdString();
    d.deviceClassMajor = majorClassOf(properties);
    return d;
}

}  // namespace

BluezDevices::BluezDevices(QDBusConnection bus, PeerCalls* calls) : bus_(std::move(bus)), calls_(calls) {
    registerTypes();
}

Subscription BluezDevices::observeConnections(std::function<void(const BluetoothDevice&)> handler) {
    listen();
    return connections_.connect(std::move(handler));
}

void BluezDevices::listen() {
    if (listening_ || !bus_.isConnected()) return;
    listening_ = true;
    // Any path: devices live under their adapter's path, which differs between machines.
    bus_.connect(service, QString(), propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                 SLOT(propertiesChanged(QDBusMessage)));
    bus_.connect(service, QString(), objectManagerInterface, QStringLiteral("InterfacesAdded"), this,
                 SLOT(interfacesAdded(QDBusMessage)));
}

void BluezDevices::propertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args.at(0).toString() != deviceInterface) return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(args.at(1));
    if (changed.value(QStringLiteral("Connected")).toBool()) announce(message.path());
}

void BluezDevices::interfacesAdded(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2) return;
    const InterfaceMap interfaces = qdbus_cast<InterfaceMap>(args.at(1));
    const auto device = interfaces.constFind(deviceInterface);
    if (device == interfaces.constEnd() || !device->value(QStringLiteral("Connected")).toBool()) return;
    connections_.emit(deviceFrom(*device));
}

void BluezDevices::announce(const QString& path) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("GetAll"));
    call << deviceInterface;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (reply.isError()) return;
        connections_.emit(deviceFrom(reply.value()));
    });
}

std::optional<std::string> BluezDevices::report() {
    if (!bus_.isConnected()) return std::nullopt;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/"), objectManagerInterface, QStringLiteral("GetManagedObjects"));
    const QDBusMessage reply = callPeer(calls_, bus_, call, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    const ManagedObjects objects = qdbus_cast<ManagedObjects>(reply.arguments().at(0));

    nlohmann::ordered_json connected = nlohmann::ordered_json::array();
    for (auto object = objects.constBegin(); object != objects.constEnd(); ++object) {
        const auto device = object->constFind(deviceInterface);
        if (device == object->constEnd() || !device->value(QStringLiteral("Connected")).toBool()) continue;
        nlohmann::ordered_json properties = nlohmann::ordered_json::object();
        const QString address = device->value(QStringLiteral("Address")).toString();
        properties["device_address"] = address.toStdString();
        properties["device_majorClass"] = std::to_string(majorClassOf(*device));
        const auto battery = object->constFind(batteryInterface);
        if (battery != object->constEnd() && battery->contains(QStringLiteral("Percentage")))
            properties["device_batteryLevelMain"] =
                std::to_string(battery->value(QStringLiteral("Percentage")).toUInt()) + "%";
        QString name = nameOf(*device);
        if (name.isEmpty()) name = address;
        nlohmann::ordered_json entry = nlohmann::ordered_json::object();
        entry[name.toStdString()] = std::move(properties);
        connected.push_back(std::move(entry));
    }
    nlohmann::ordered_json section = nlohmann::ordered_json::object();
    section["device_connected"] = std::move(connected);
    nlohmann::ordered_json report = nlohmann::ordered_json::object();
    report["SPBluetoothDataType"] = nlohmann::ordered_json::array();
    report["SPBluetoothDataType"].push_back(std::move(section));
    return report.dump();
}

}  // namespace quorlix::platform
