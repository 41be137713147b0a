#pragma once
// Bluetooth devices from BlueZ, over the system bus.
//
// A device counts as connecting when its "Connected" property turns true (or it appears
// already connected); its alias, address and class are then read, without blocking the
// event loop. The report lists the connected devices with their "org.bluez.Battery1" level
// as the single-battery level ("device_batteryLevelMain"): BlueZ reports one level per
// device. Every call has a time limit.
//
// Connection notices are delivered on the thread that created the object (the main thread);
// `report` may be called from any thread, and `calls` (when given) cuts its wait short at quit.

#include "platform/bluetooth_devices.h"
#include "platform/linux/peer_calls.h"

#include <QDBusConnection>
#include <QObject>

namespace quorlix::platform {

class BluezDevices final : public QObject, public BluetoothDevices {
    Q_OBJECT

public:
    // BlueZ on `bus` (tests pass a private bus of their own).
    explicit BluezDevices(QDBusConnection bus = QDBusConnection::systemBus(), PeerCalls* calls = nullptr);

    Subscription observeConnections(std::function<void(const BluetoothDevice&)> handler) override;
    std::optional<std::string> report() override;

    // The longest any call to BlueZ may take.
    static constexpr int callTimeoutMs = 3000;

private Q_SLOTS:
    void propertiesChanged(const QDBusMessage& message);
    void interfacesAdded(const QDBusMessage& message);

private:
    void listen();
    void announce(const QString& path);

    QDBusConnection bus_;
    PeerCalls* calls_;
    bool listening_ = false;
    Signal<BluetoothDevice> connections_;
};

}  // namespace quorlix::platform
