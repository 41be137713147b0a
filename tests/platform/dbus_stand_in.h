#pragma once
// D-Bus helpers for backend tests: a private bus daemon of the test's own, and a stand-in
// service on it that answers property and object-manager calls from a table the test edits
// and announces each edit as the real services do.
//
// The stand-in answers on a thread of its own, so a backend may block on a call from the
// test's main thread.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QThread>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace quorlix::testing {

using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;

// A `dbus-daemon` for the life of the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    // Empty when the daemon did not start.
    const QString& address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

class StandInService {
public:
    // Takes `serviceName` on the bus at `address`, with every object path under "/".
    StandInService(const QString& address, const QString& serviceName);
    ~StandInService();
    bool isRegistered() const { return registered_; }

    // Adds an interface with its properties to the object at `path` (InterfacesAdded).
    void add(const QString& path, const QString& interface, const QVariantMap& properties);
    // Changes one property (PropertiesChanged).
    void set(const QString& path, const QString& interface, const QString& name, const QVariant& value);

private:
    class Objects;

    QString connectionName_;
    QDBusConnection bus_;
    QThread thread_;
    std::unique_ptr<Objects> objects_;
    bool registered_ = false;
};

// Runs the event loop until `done` holds or `seconds` pass; returns `done()`.
bool processEventsUntil(const std::function<bool()>& done, double seconds = 5);

}  // namespace quorlix::testing
