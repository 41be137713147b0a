#include "platform/linux/mpris_script_host.h"

#include "platform/atomic_file.h"
#include "platform/number_text.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>

#include <sys/stat.h>
#include <unistd.h>

namespace quorlix::platform {

namespace {

using Clock = std::chrono::steady_clock;

// One script's MPRIS calls, all against the same deadline.
class Session {
public:
    Session(QDBusConnection connection, PeerCalls* calls, QString service, Clock::time_point deadline)
        : connection_(std::move(connection)),
          calls_(calls),
          service_(std::move(service)),
          deadline_(deadline) {}

    std::optional<QList<QVariant>> call(const QString& interface, const QString& method,
                                        const QList<QVariant>& args = {}) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
        if (left <= 0) return std::nullopt;
        auto message = QDBusMessage::createMethodCall(service_, mpris::objectPath, interface, method);
        message.setArguments(args);
        const QDBusMessage reply = callPeer(calls_, connection_, message, static_cast<int>(left));
        if (reply.type() != QDBusMessage::ReplyMessage) return std::nullopt;
        return reply.arguments();
    }

    std::optional<QVariant> property(const QString& name) {
        const auto reply = call(propertiesInterface, QStringLiteral("Get"), {mpris::playerInterface, name});
        if (!reply || reply->isEmpty()) return std::nullopt;
        return mpris::unwrap(reply->constFirst());
    }

    std::optional<QVariantMap> allProperties() {
        const auto reply = call(propertiesInterface, QStringLiteral("GetAll"), {mpris::playerInterface});
        if (!reply || reply->isEmpty()) return std::nullopt;
        return mpris::toMap(reply->constFirst());
    }

    bool setProperty(const QString& name, const QVariant& value) {
        return call(propertiesInterface, QStringLiteral("Set"),
                    {mpris::playerInterface, name, QVariant::fromValue(QDBusVariant(value))})
            .has_value();
    }

    bool method(const QString& name, const QList<QVariant>& args = {}) {
        return call(mpris::playerInterface, name, args).has_value();
    }

    Clock::time_point deadline() const { return deadline_; }

private:
    QDBusConnection connection_;
    PeerCalls* calls_;
    QString service_;
    Clock::time_point deadline_;
};

std::optional<double> seconds(const std::optional<QVariant>& microseconds) {
    if (!microseconds) return std::nullopt;
    bool ok = false;
    const double value = microseconds->toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value / 1e6;
}

// The snapshot text's body after `tell application "<name>"`, as the bridge writes it.
std::string snapshotBody(bool music) {
    return std::string(
               "\n    if player state is stopped then return \"\"\n    set t to current track\n    return ") +
           "(player state as text) & \"|~|\" & (name of t) & \"|~|\" & (artist of t) & \"|~|\" & (album of "
           "t) & " +
           "\"|~|\" & ((duration of t) as text) & \"|~|\" & ((player position) as text) & \"|~|\" & (" +
           (music ? "persistent ID of t" : "id of t") + ")\nend tell";
}

std::optional<ScriptValue> snapshot(Session& s, bool music) {
    const auto properties = s.allProperties();
    if (!properties) return std::nullopt;
    const QString status = mpris::unwrap(properties->value(QStringLiteral("PlaybackStatus"))).toString();
    if (status != QLatin1String("Playing") && status != QLatin1String("Paused")) return ScriptValue::text("");
    const auto track = mpris::Track::from(mpris::toMap(properties->value(QStringLiteral("Metadata"))));
    // Here, off the main thread, before the island shows them.
    track.layOutAhead();
    // Music reports seconds, Spotify milliseconds.
    const double length = track.lengthMicroseconds ? static_cast<double>(*track.lengthMicroseconds) : 0;
    const double duration = music ? length / 1e6 : length / 1e3;
    auto position = seconds(properties->value(QStringLiteral("Position")));
    if (!properties->contains(QStringLiteral("Position")))
        position = seconds(s.property(QStringLiteral("Position")));
    const std::string separator = "|~|";
    return ScriptValue::text((status == QLatin1String("Playing") ? "playing" : "paused") + separator +
                             track.title.toStdString() + separator + track.artist().toStdString() +
                             separator + track.album.toStdString() + separator + formatNumber(duration) +
                             separator + formatNumber(position.value_or(0)) + separator +
                             track.trackID.toStdString());
}

std::optional<ScriptValue> setPosition(Session& s, std::string_view text) {
    const auto target = parseNumber(text);
    if (!target || *target < 0 || *target > 9.0e12) return std::nullopt;
    const auto microseconds = static_cast<qlonglong>(std::llround(*target * 1e6));
    const auto metadata = s.property(QStringLiteral("Metadata"));
    const QString trackID = metadata ? mpris::Track::from(mpris::toMap(*metadata)).trackID : QString();
    if (!trackID.isEmpty() && trackID != mpris::noTrack) {
        s.method(QStringLiteral("SetPosition"),
                 {QVariant::fromValue(QDBusObjectPath(trackID)), microseconds});
        return std::nullopt;
    }
    // Without a track id, a relative jump from where it is.
    const auto now = s.property(QStringLiteral("Position"));
    if (!now) return std::nullopt;
    s.method(QStringLiteral("Seek"), {static_cast<qlonglong>(microseconds - now->toLongLong())});
    return std::nullopt;
}

// The bytes a data: URL holds, within the size local files may have.
std::optional<ScriptValue> dataURLBytes(const QString& address) {
    const qsizetype comma = address.indexOf(QLatin1Char(','));
    if (comma < 0) return std::nullopt;
    const QString header = address.left(comma);
    const QByteArray payload = address.mid(comma + 1).toLatin1();
    // Text that could only decode past the cap is not decoded at all: four characters of
    // base64 make three bytes, and three of percent-encoding at least one.
    const bool base64 = header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive);
    constexpr qint64 cap = MprisScriptHost::maxArtworkFileSize;
    if (payload.size() > (base64 ? (cap / 3 + 1) * 4 : 3 * cap)) return std::nullopt;
    QByteArray bytes;
    if (base64) {
        auto decoded = QByteArray::fromBase64Encoding(payload, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) return std::nullopt;
        bytes = *decoded;
    } else {
        bytes = QByteArray::fromPercentEncoding(payload);
    }
    if (bytes.isEmpty() || bytes.size() > MprisScriptHost::maxArtworkFileSize) return std::nullopt;
    return ScriptValue::bytes(ScriptValue::Bytes(bytes.begin(), bytes.end()));
}

// A picture that is no local file: the bytes of a data: URL, or the address of a remote one,
// which the caller fetches under its own rules.
std::optional<ScriptValue> nonLocalArtwork(const QString& address) {
    if (address.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) return dataURLBytes(address);
    const QString scheme = QUrl(address).scheme();
    if (scheme == QLatin1String("https") || scheme == QLatin1String("http"))
        return ScriptValue::text(address.toStdString());
    return std::nullopt;
}

// The bytes of a local artwork file, read by `deadline`. Only a regular file is read, and it
// is opened without waiting: a player may name a FIFO, whose opening waits for a writer.
std::optional<ScriptValue> artworkFile(const QString& path, Clock::time_point deadline) {
    const int fd = openRegularFile(QFile::encodeName(path).constData());
    if (fd < 0) return std::nullopt;
    struct stat info {};
    ScriptValue::Bytes bytes;
    if (::fstat(fd, &info) == 0 && info.st_size > 0 && info.st_size <= MprisScriptHost::maxArtworkFileSize) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            if (Clock::now() >= deadline) {
                done = 0;  // too late: nothing
                break;
            }
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // shorter than it was: what is there
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    }
    ::close(fd);
    if (bytes.empty()) return std::nullopt;
    return ScriptValue::bytes(std::move(bytes));
}

std::optional<ScriptValue> artworkBytes(Session& s) {
    const auto metadata = s.property(QStringLiteral("Metadata"));
    if (!metadata) return std::nullopt;
    const QString address = mpris::Track::from(mpris::toMap(*metadata)).artURL;
    const QUrl url(address);
    if (!url.isLocalFile()) return nonLocalArtwork(address);
    return artworkFile(url.toLocalFile(), s.deadline());
}

std::optional<ScriptValue> truth(const std::optional<QVariant>& value) {
    if (!value || value->metaType() != QMetaType::fromType<bool>()) return std::nullopt;
    return ScriptValue::boolean(value->toBool());
}

std::optional<ScriptValue> command(Session& s, bool music, std::string_view c) {
    constexpr std::string_view seekPrefix = "set player position to ";
    if (c == "get player position") {
        const auto at = seconds(s.property(QStringLiteral("Position")));
        if (!at) return std::nullopt;
        return ScriptValue::number(*at);
    }
    // Commands answer nothing; the caller ignores their result.
    if (c == "playpause" || c == "next track" || c == "previous track") {
        s.method(c == "playpause"    ? QStringLiteral("PlayPause")
                 : c == "next track" ? QStringLiteral("Next")
                                     : QStringLiteral("Previous"));
        return std::nullopt;
    }
    if (c.starts_with(seekPrefix)) return setPosition(s, c.substr(seekPrefix.size()));

    const std::string_view getShuffle = music ? "get shuffle enabled" : "get shuffling";
    const std::string_view getRepeat = music ? "return (song repeat is not off)" : "get repeating";
    const std::string setShuffle = music ? "set shuffle enabled to " : "set shuffling to ";
    const std::string setRepeat = music ? "set song repeat to " : "set repeating to ";
    if (c == getShuffle) return truth(s.property(QStringLiteral("Shuffle")));
    if (c == getRepeat) {
        const auto loop = s.property(QStringLiteral("LoopStatus"));
        if (!loop || loop->metaType() != QMetaType::fromType<QString>()) return std::nullopt;
        return ScriptValue::boolean(loop->toString() != QLatin1String("None"));
    }
    if (c == setShuffle + "true" || c == setShuffle + "false") {
        s.setProperty(QStringLiteral("Shuffle"), c.ends_with("true"));
        return std::nullopt;
    }
    const std::string repeatOn = setRepeat + (music ? "all" : "true");
    const std::string repeatOff = setRepeat + (music ? "off" : "false");
    if (c == repeatOn || c == repeatOff) {
        s.setProperty(QStringLiteral("LoopStatus"),
                      c == repeatOn ? QStringLiteral("Playlist") : QStringLiteral("None"));
        return std::nullopt;
    }
    if (music && (c == "get raw data of artwork 1 of current track" ||
                  c == "get data of artwork 1 of current track")) {
        return artworkBytes(s);
    }
    if (!music && c == "get artwork url of current track") {
        const auto metadata = s.property(QStringLiteral("Metadata"));
        if (!metadata) return std::nullopt;
        const QString url = mpris::Track::from(mpris::toMap(*metadata)).artURL;
        if (url.isEmpty()) return std::nullopt;
        return ScriptValue::text(url.toStdString());
    }
    return std::nullopt;
}

}  // namespace

std::optional<ScriptValue> MprisScriptHost::execute(const std::string& source, double timeLimit) {
    const std::string_view text = source;
    for (const bool music : {true, false}) {
        const std::string tell = std::string("tell application \"") + (music ? "Music" : "Spotify") + "\"";
        if (!text.starts_with(tell)) continue;
        const QString service = bus_.busName(music ? mpris::musicIdentifier : mpris::spotifyIdentifier);
        if (service.isEmpty() || !(timeLimit > 0)) return std::nullopt;
        // No script is worth waiting a minute for.
        const auto limit = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(std::min(timeLimit, 60.0)));
        Session session(bus_.connection(), calls_, service, Clock::now() + limit);
        const std::string_view rest = text.substr(tell.size());
        if (rest.starts_with(" to ")) return command(session, music, rest.substr(4));
        if (rest == snapshotBody(music)) return snapshot(session, music);
        return std::nullopt;  // favourites and anything else
    }
    return std::nullopt;
}

}  // namespace quorlix::platform
