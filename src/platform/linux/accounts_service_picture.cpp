#include "platform/linux/accounts_service_picture.h"

#include "platform/linux/dbus_properties.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QObject>

namespace quorlix::platform {

namespace {

const QString service = QStringLiteral("org.freedesktop.Accounts");

// Sends `message` and hands its reply, or nothing on an error or a time-out, to `done` on the
// main thread, unless `owner` goes first.
void callWithoutWaiting(QDBusConnection& bus, QObject* owner, const QDBusMessage& message,
                        std::function<void(std::optional<QDBusMessage>)> done) {
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(message, AccountsServicePicture::callTimeoutMs), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [done = std::move(done)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         const QDBusMessage reply = w->reply();
                         if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
                             return done(std::nullopt);
                         done(reply);
                     });
}

}  // namespace

AccountsServicePicture::AccountsServicePicture(QDBusConnection bus)
    : bus_(std::move(bus)), calls_(std::make_unique<QObject>()) {}

AccountsServicePicture::~AccountsServicePicture() = default;

void AccountsServicePicture::pictureFile(unsigned uid,
                                         std::function<void(std::optional<std::filesystem::path>)> done) {
    if (!bus_.isConnected()) return done(std::nullopt);
    QDBusMessage find = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Accounts"),
                                                       service, QStringLiteral("FindUserById"));
    find << QVariant::fromValue(static_cast<qlonglong>(uid));
    QObject* owner = calls_.get();
    callWithoutWaiting(bus_, owner, find, [this, owner, done](std::optional<QDBusMessage> user) {
        const QString path = user ? user->arguments().first().value<QDBusObjectPath>().path() : QString();
        if (path.isEmpty()) return done(std::nullopt);
        QDBusMessage get =
            QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.Accounts.User") << QStringLiteral("IconFile");
        callWithoutWaiting(bus_, owner, get, [done](std::optional<QDBusMessage> icon) {
            const QString file =
                icon ? icon->arguments().first().value<QDBusVariant>().variant().toString() : QString();
            if (file.isEmpty()) return done(std::nullopt);
            done(std::filesystem::path(file.toStdString()));
        });
    });
}

}  // namespace quorlix::platform
