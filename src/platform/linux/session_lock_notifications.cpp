#include "platform/linux/session_lock_notifications.h"

#include "platform/linux/dbus_properties.h"
#include "platform/linux/x11_screen_lockers.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QStringList>
#include <QVariantMap>

#include <unistd.h>

namespace quorlix::platform {

namespace {

const QString logind = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString userInterface = QStringLiteral("org.freedesktop.login1.User");
const QString lockedHint = QStringLiteral("LockedHint");
const QString screenSavers[] = {QStringLiteral("org.freedesktop.ScreenSaver"),
                                QStringLiteral("org.gnome.ScreenSaver")};

// Calls `method` and hands a successful reply's message to `done`; nothing on failure.
template <class Done>
void callAsync(QObject* owner, QDBusConnection& bus, const QDBusMessage& call, Done done,
               std::function<void()> failed = {}) {
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call, SessionLockNotifications::callTimeoutMs), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [done = std::move(done), failed = std::move(failed)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         const QDBusMessage reply = w->reply();
                         if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                             done(reply);
                         else if (failed)
                             failed();
                     });
}

// The value inside a property reply (a variant).
QVariant propertyValue(const QDBusMessage& reply) {
    return qvariant_cast<QDBusVariant>(reply.arguments().at(0)).variant();
}

}  // namespace

SessionLockNotifications::SessionLockNotifications(QDBusConnection systemBus, QDBusConnection sessionBus,
                                                   X11ScreenLockers* lockers)
    : system_(std::move(systemBus)),
      session_(std::move(sessionBus)),
      state_([this](ScreenLockNotice notice) { notices_.emit(notice); }) {
    if (session_.isConnected()) {
        for (const QString& saver : screenSavers)
            session_.connect(saver, QString(), saver, QStringLiteral("ActiveChanged"), this,
                             SLOT(screenSaverChanged(bool)));
    }
    if (lockers) {
        lockerSubscriptions_.push_back(lockers->onShown([this](std::uint32_t w) { state_.lockerShown(w); }));
        lockerSubscriptions_.push_back(lockers->onGone([this](std::uint32_t w) { state_.lockerGone(w); }));
    }
    findSession();
}

SessionLockNotifications::~SessionLockNotifications() = default;

Subscription SessionLockNotifications::observe(std::function<void(ScreenLockNotice)> handler) {
    return notices_.connect(std::move(handler));
}

void SessionLockNotifications::findSession() {
    if (!system_.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(logind, managerPath, managerInterface,
                                                       QStringLiteral("GetSessionByPID"));
    call << static_cast<quint32>(::getpid());
    callAsync(
        this, system_, call,
        [this](const QDBusMessage& reply) {
            follow(qvariant_cast<QDBusObjectPath>(reply.arguments().at(0)).path());
        },
        [this] { findDisplaySession(); });
}

void SessionLockNotifications::findDisplaySession() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(logind, managerPath, managerInterface, QStringLiteral("GetUser"));
    call << static_cast<quint32>(::getuid());
    callAsync(this, system_, call, [this](const QDBusMessage& reply) {
        const QString user = qvariant_cast<QDBusObjectPath>(reply.arguments().at(0)).path();
        QDBusMessage get =
            QDBusMessage::createMethodCall(logind, user, propertiesInterface, QStringLiteral("Get"));
        get << userInterface << QStringLiteral("Display");
        callAsync(this, system_, get, [this](const QDBusMessage& display) {
            // A (session id, object path) pair.
            const QDBusArgument argument = qvariant_cast<QDBusArgument>(propertyValue(display));
            QString id;
            QDBusObjectPath path;
            argument.beginStructure();
            argument >> id >> path;
            argument.endStructure();
            follow(path.path());
        });
    });
}

void SessionLockNotifications::follow(const QString& path) {
    // logind names "no session" with the root path.
    if (path.isEmpty() || path == QLatin1String("/") || !sessionPath_.isEmpty()) return;
    sessionPath_ = path;
    system_.connect(logind, path, sessionInterface, QStringLiteral("Lock"), this, SLOT(lockRequested()));
    system_.connect(logind, path, sessionInterface, QStringLiteral("Unlock"), this, SLOT(unlockRequested()));
    system_.connect(logind, path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                    SLOT(sessionPropertiesChanged(QDBusMessage)));
}

void SessionLockNotifications::lockRequested() { state_.lockRequested(); }

void SessionLockNotifications::unlockRequested() { state_.unlockRequested(); }

void SessionLockNotifications::screenSaverChanged(bool active) { state_.screenSaverChanged(active); }

void SessionLockNotifications::sessionPropertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args.at(0).toString() != sessionInterface) return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(args.at(1));
    if (const auto it = changed.constFind(lockedHint); it != changed.constEnd()) {
        state_.lockedHintChanged(it->toBool());
        return;
    }
    // A change announced without its value.
    if (args.size() >= 3 && qdbus_cast<QStringList>(args.at(2)).contains(lockedHint)) readLockedHint();
}

void SessionLockNotifications::readLockedHint() {
    QDBusMessage get =
        QDBusMessage::createMethodCall(logind, sessionPath_, propertiesInterface, QStringLiteral("Get"));
    get << sessionInterface << lockedHint;
    callAsync(this, system_, get,
              [this](const QDBusMessage& reply) { state_.lockedHintChanged(propertyValue(reply).toBool()); });
}

}  // namespace quorlix::platform
