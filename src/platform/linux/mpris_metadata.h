#pragma once
// Reading MPRIS values off the bus: property maps, track metadata and the two players the
// system follows.

#include "platform/linux/dbus_properties.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace quorlix::platform::mpris {

inline const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
inline const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
inline const QString namePrefix = QStringLiteral("org.mpris.MediaPlayer2.");
inline const QString spotifyBusName = QStringLiteral("org.mpris.MediaPlayer2.spotify");
// A track id meaning "no track".
inline const QString noTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// The identifiers the two followed players go by.
inline constexpr const char* spotifyIdentifier = "com.spotify.client";
inline constexpr const char* musicIdentifier = "com.apple.Music";

// A dictionary (a{sv}) however it arrived: already a map, or still marshalled.
QVariantMap toMap(const QVariant& value);
// A property's value with its variant wrapper removed.
QVariant unwrap(const QVariant& value);

// The largest cover read, a local file or the bytes of a data: address.
inline constexpr qsizetype maxArtworkSize = 10 * 1024 * 1024;
// No address of a cover read is longer: the largest one as a data: address, percent-encoded
// (three characters a byte), with room for its header.
inline constexpr qsizetype maxArtworkAddressLength = 3 * maxArtworkSize + 4096;

struct Track {
    QString title;
    QStringList artists;
    QString album;
    std::optional<qint64> lengthMicroseconds;
    QString trackID;
    QString artURL;

    // The title, artists and album are capped to what a screen can show
    // (platform/capped_text.h); a cover address past `maxArtworkAddressLength` is left out.
    static Track from(const QVariantMap& metadata);
    QString artist() const;

    // Whether showing the title or artist needs the system's fonts (main thread).
    bool needsLayingOut() const;
    // Here, off the main thread, finds the system fonts its texts need and lays out the title
    // as the island shows it, whole (scrolling), so that the main thread finds them ready.
    void layOutAhead() const;
};

}  // namespace quorlix::platform::mpris
