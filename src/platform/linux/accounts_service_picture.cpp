#include "platform/linux/accounts_service_picture.h"

#include "platform/linux/dbus_properties.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace quorlix::platform {

namespace {
const QString service = QStringLiteral("org.freedesktop.Accounts");
constexpr int timeoutMs = 3000;
}  // namespace

std::optional<std::filesystem::path> AccountsServicePicture::pictureFile(unsigned uid) {
    if (!bus_.isConnected()) return std::nullopt;
    QDBusMessage find = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Accounts"),
                                                       service, QStringLiteral("FindUserById"));
    find << QVariant::fromValue(static_cast<qlonglong>(uid));
    const QDBusMessage user = bus_.call(find, QDBus::Block, timeoutMs);
    if (user.type() != QDBusMessage::ReplyMessage || user.arguments().isEmpty()) return std::nullopt;
    const QString path = user.arguments().first().value<QDBusObjectPath>().path();
    if (path.isEmpty()) return std::nullopt;

    QDBusMessage get =
        QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.Accounts.User") << QStringLiteral("IconFile");
    const QDBusMessage icon = bus_.call(get, QDBus::Block, timeoutMs);
    if (icon.type() != QDBusMessage::ReplyMessage || icon.arguments().isEmpty()) return std::nullopt;
    const QString file = icon.arguments().first().value<QDBusVariant>().variant().toString();
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
}

}  // namespace quorlix::platform
