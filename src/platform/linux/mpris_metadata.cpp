#include "platform/linux/mpris_metadata.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMetaType>

#include <cmath>

namespace quorlix::platform::mpris {

QVariant unwrap(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>()) return value.value<QDBusVariant>().variant();
    return value;
}

QVariantMap toMap(const QVariant& value) {
    const QVariant v = unwrap(value);
    if (v.metaType() == QMetaType::fromType<QDBusArgument>())
        return qdbus_cast<QVariantMap>(v.value<QDBusArgument>());
    return v.toMap();
}

namespace {

QStringList toStringList(const QVariant& value) {
    const QVariant v = unwrap(value);
    if (v.metaType() == QMetaType::fromType<QDBusArgument>())
        return qdbus_cast<QStringList>(v.value<QDBusArgument>());
    if (v.metaType() == QMetaType::fromType<QString>()) return {v.toString()};
    return v.toStringList();
}

QString toText(const QVariant& value) {
    const QVariant v = unwrap(value);
    if (v.metaType() == QMetaType::fromType<QDBusObjectPath>()) return v.value<QDBusObjectPath>().path();
    if (v.metaType() == QMetaType::fromType<QString>()) return v.toString();
    return {};
}

// Players disagree on the integer type of the length (x, t, i, even d); take any finite one.
std::optional<qint64> toMicroseconds(const QVariant& value) {
    const QVariant v = unwrap(value);
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < 0 || d > 9.0e18) return std::nullopt;
    return static_cast<qint64>(d);
}

}  // namespace

Track Track::from(const QVariantMap& metadata) {
    Track t;
    t.title = toText(metadata.value(QStringLiteral("xesam:title")));
    t.artists = toStringList(metadata.value(QStringLiteral("xesam:artist")));
    t.album = toText(metadata.value(QStringLiteral("xesam:album")));
    t.lengthMicroseconds = toMicroseconds(metadata.value(QStringLiteral("mpris:length")));
    t.trackID = toText(metadata.value(QStringLiteral("mpris:trackid")));
    t.artURL = toText(metadata.value(QStringLiteral("mpris:artUrl")));
    return t;
}

}  // namespace quorlix::platform::mpris
