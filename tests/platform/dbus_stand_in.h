#pragma once
// A stand-in D-Bus service for backend tests: it answers property and object-manager calls
// from a table the test edits, and announces each edit as the real services do. Other methods
// are answered by handlers the test adds; signals are sent on the test's word.
//
// It answers on a thread of its own, so a backend may block on a call from the test's main
// thread.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QThread>
#include <QVariantMap>

#include <QDBusMessage>

#include <functional>
#include <memory>

namespace quorlix::testing {

using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;

class StandInService {
public:
    // Takes `serviceName` on `connection`, with every object path under "/".
    StandInService(QDBusConnection connection, const QString& serviceName);
    ~StandInService();
    bool isRegistered() const { return registered_; }

    // Adds an interface with its properties to the object at `path` (InterfacesAdded).
    void add(const QString& path, const QString& interface, const QVariantMap& properties);
    // Changes one property (PropertiesChanged).
    void set(const QString& path, const QString& interface, const QString& name, const QVariant& value);

    // Answers calls of `interface`.`member` (on any path) with what `handler` makes of the
    // call; an empty message (`QDBusMessage()`) answers nothing. Add handlers before the first
    // call; they run on the service's thread.
    using Handler = std::function<QDBusMessage(const QDBusMessage& call)>;
    void handle(const QString& interface, const QString& member, Handler handler);
    // Sends a signal from `path`.
    void signal(const QString& path, const QString& interface, const QString& member,
                const QList<QVariant>& arguments = {});

private:
    class Objects;

    QDBusConnection bus_;
    QString serviceName_;
    QThread thread_;
    std::unique_ptr<Objects> objects_;
    bool registered_ = false;
};

}  // namespace quorlix::testing
