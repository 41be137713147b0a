#include "mpris_test_player.h"

#include <QDBusObjectPath>
#include <QDBusVariant>

namespace quorlix::testing {

namespace {
const QString path = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
}  // namespace

MprisTestPlayer::MprisTestPlayer(QDBusConnection connection, QString busName, std::vector<TestTrack> playlist)
    : connection_(std::move(connection)), busName_(std::move(busName)), playlist_(std::move(playlist)) {}

MprisTestPlayer::~MprisTestPlayer() { connection_.unregisterObject(path); }

bool MprisTestPlayer::publish() {
    return connection_.registerVirtualObject(path, this, QDBusConnection::SingleNode) &&
           connection_.registerService(busName_);
}

void MprisTestPlayer::quit() { connection_.unregisterService(busName_); }

void MprisTestPlayer::setStatus(const QString& newStatus) {
    status = newStatus;
    announce({{QStringLiteral("PlaybackStatus"), status}});
}

void MprisTestPlayer::skipTo(std::size_t index) {
    current = index % playlist_.size();
    positionMicroseconds = 0;
    announce({{QStringLiteral("Metadata"), metadata()}, {QStringLiteral("PlaybackStatus"), status}});
}

void MprisTestPlayer::replaceCurrent(TestTrack track) {
    playlist_.at(current) = std::move(track);
    positionMicroseconds = 0;
    announce({{QStringLiteral("Metadata"), metadata()}});
}

void MprisTestPlayer::amendCurrent(const std::function<void(TestTrack&)>& change) {
    change(playlist_.at(current));
    announce({{QStringLiteral("Metadata"), metadata()}});
}

QVariantMap MprisTestPlayer::metadata() const {
    const TestTrack& t = playlist_.at(current);
    QVariantMap m;
    m[QStringLiteral("mpris:trackid")] = QVariant::fromValue(QDBusObjectPath(t.id));
    m[QStringLiteral("xesam:title")] = t.title;
    m[QStringLiteral("xesam:artist")] = t.artists;
    m[QStringLiteral("xesam:album")] = t.album;
    m[QStringLiteral("mpris:length")] = t.lengthMicroseconds;
    if (!t.artURL.isEmpty()) m[QStringLiteral("mpris:artUrl")] = t.artURL;
    return m;
}

QVariant MprisTestPlayer::property(const QString& name) const {
    if (name == QLatin1String("PlaybackStatus")) return status;
    if (name == QLatin1String("Metadata")) return metadata();
    if (name == QLatin1String("Position")) return positionMicroseconds;
    if (name == QLatin1String("Shuffle")) return shuffle;
    if (name == QLatin1String("LoopStatus")) return loopStatus;
    if (name == QLatin1String("DesktopEntry")) return QStringLiteral("testplayer");
    return {};
}

void MprisTestPlayer::announce(const QVariantMap& changed) {
    auto signal = QDBusMessage::createSignal(path, propertiesInterface, QStringLiteral("PropertiesChanged"));
    signal.setArguments({playerInterface, changed, QStringList()});
    connection_.send(signal);
}

QString MprisTestPlayer::introspect(const QString&) const {
    return QStringLiteral(
        "<interface name=\"org.mpris.MediaPlayer2\"/><interface name=\"org.mpris.MediaPlayer2.Player\"/>");
}

bool MprisTestPlayer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    const QString member = message.member();
    const auto args = message.arguments();
    QList<QVariant> reply;
    if (message.interface() == propertiesInterface) {
        if (member == QLatin1String("Get") || member == QLatin1String("GetAll")) ++propertyReads;
        if (member == QLatin1String("Get") && args.size() == 2) {
            const QVariant value = property(args[1].toString());
            if (!value.isValid()) {
                connection.send(
                    message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such property")));
                return true;
            }
            reply << QVariant::fromValue(QDBusVariant(value));
        } else if (member == QLatin1String("GetAll")) {
            QVariantMap all;
            for (const char* name : {"PlaybackStatus", "Metadata", "Position", "Shuffle", "LoopStatus"}) {
                all[QLatin1String(name)] = property(QLatin1String(name));
            }
            reply << all;
        } else if (member == QLatin1String("Set") && args.size() == 3) {
            const QVariant value = args[2].value<QDBusVariant>().variant();
            if (args[1].toString() == QLatin1String("Shuffle")) shuffle = value.toBool();
            if (args[1].toString() == QLatin1String("LoopStatus")) loopStatus = value.toString();
            announce({{args[1].toString(), value}});
        }
    } else if (message.interface() == playerInterface) {
        if (member == QLatin1String("PlayPause")) {
            ++playPauseCalls;
            setStatus(status == QLatin1String("Playing") ? QStringLiteral("Paused")
                                                         : QStringLiteral("Playing"));
        } else if (member == QLatin1String("Next")) {
            ++nextCalls;
            skipTo(current + 1);
        } else if (member == QLatin1String("Previous")) {
            ++previousCalls;
            skipTo(current + playlist_.size() - 1);
        } else if (member == QLatin1String("SetPosition") && args.size() == 2) {
            lastSetPositionTrack = args[0].value<QDBusObjectPath>().path();
            if (lastSetPositionTrack == playlist_.at(current).id) {
                positionMicroseconds = args[1].toLongLong();
                auto seeked = QDBusMessage::createSignal(path, playerInterface, QStringLiteral("Seeked"));
                seeked.setArguments({positionMicroseconds});
                connection_.send(seeked);
            }
        }
    } else if (member == QLatin1String("Raise")) {
        ++raiseCalls;
    }
    connection.send(message.createReply(reply));
    if (answered) answered(message);
    return true;
}

}  // namespace quorlix::testing
