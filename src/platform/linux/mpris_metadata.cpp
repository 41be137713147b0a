#include "platform/linux/mpris_metadata.h"

#include "platform/capped_text.h"
#include "ui/qt/qt_font_engine.h"

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

// A text a player shows, capped (a browser passes on whatever a page sets). A text of no more
// UTF-16 units than the limit has no more code points, so only a longer one is converted.
QString shown(const QString& text) {
    if (text.size() <= static_cast<qsizetype>(shownTextLimit)) return text;
    return QString::fromStdString(cappedText(text.toStdString()));
}

}  // namespace

Track Track::from(const QVariantMap& metadata) {
    Track t;
    t.title = shown(toText(metadata.value(QStringLiteral("xesam:title"))));
    // As many artists as can show, joined.
    qsizetype joined = 0;
    for (const QString& artist : toStringList(metadata.value(QStringLiteral("xesam:artist")))) {
        if (joined > static_cast<qsizetype>(shownTextLimit)) break;
        t.artists.append(shown(artist));
        joined += t.artists.back().size() + 2;
    }
    t.album = shown(toText(metadata.value(QStringLiteral("xesam:album"))));
    t.lengthMicroseconds = toMicroseconds(metadata.value(QStringLiteral("mpris:length")));
    t.trackID = toText(metadata.value(QStringLiteral("mpris:trackid")));
    // A page may hand over a data: address of any size: one that holds no cover read is not
    // copied on.
    t.artURL = toText(metadata.value(QStringLiteral("mpris:artUrl")));
    if (t.artURL.size() > maxArtworkAddressLength) t.artURL.clear();
    return t;
}

QString Track::artist() const { return shown(artists.join(QStringLiteral(", "))); }

bool Track::needsLayingOut() const {
    return ui::qt::QtFontEngine::needsLayingOut(title.toStdString()) ||
           ui::qt::QtFontEngine::needsLayingOut(artist().toStdString());
}

void Track::layOutAhead() const {
    // The artist and album are cut to their boxes (short pieces, laid out where shown): the
    // fonts they need are found here. The title is laid out whole, in the one weight every
    // view shows it in: the island's scrolling title, the text face at semibold.
    for (const QString& text : {artist(), album}) ui::qt::QtFontEngine::prepareFor(text.toStdString());
    static const ui::ResolvedFont titleFont = ui::ResolvedFont::of(ui::Font::system(14, ui::FontWeight::semibold));
    ui::qt::QtFontEngine::layOutAhead(title.toStdString(), titleFont.face, titleFont.weight);
}

}  // namespace quorlix::platform::mpris
