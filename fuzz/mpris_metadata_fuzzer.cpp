// What players put on the bus: the playback status and the track's metadata, as the
// players' dictionaries and as the track read from them. The input is text: the status on
// the first line, then one entry a line, "key<TAB>type<TAB>value", where the type is a D-Bus
// one (s, as, x, t, i, d, b, o), "v" before it wrapping the value in a variant. The track's
// texts come out well-formed and no longer than a screen shows.

#include "fakes/well_formed_text.h"
#include "fuzz_support.h"
#include "platform/capped_text.h"
#include "platform/linux/mpris_metadata.h"
#include "platform/linux/mpris_player_notifications.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QtGlobal>

namespace {

QVariant value(std::string_view type, const QString& text) {
    if (type.starts_with('v')) return QVariant::fromValue(QDBusVariant(value(type.substr(1), text)));
    if (type == "as") return text.split(QLatin1Char('|'));
    if (type == "x") return text.toLongLong();
    if (type == "t") return text.toULongLong();
    if (type == "i") return text.toInt();
    if (type == "d") return text.toDouble();
    if (type == "b") return text == QLatin1String("true");
    if (type == "o") return QVariant::fromValue(QDBusObjectPath(text));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // An invalid object path is reported on every input otherwise.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix::platform;
    const auto lines = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
                           .split(QLatin1Char('\n'));
    MprisBus::PlayerState state;
    state.playbackStatus = lines.value(0);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const auto fields = lines[i].split(QLatin1Char('\t'));
        if (fields.size() != 3) continue;
        state.metadata.insert(fields[0], value(fields[1].toStdString(), fields[2]));
    }
    const auto track = mpris::Track::from(mpris::toMap(QVariant::fromValue(QDBusVariant(state.metadata))));
    for (const QString& text : {track.title, track.artist(), track.album})
        quorlix::fuzzing::check(
            quorlix::testing::wellFormedLength(text.toStdString()).value_or(shownTextLimit + 1) <=
                shownTextLimit,
            "the title, artists and album well-formed, as long as a screen shows at most");
    MprisPlayerNotifications::info(mpris::musicIdentifier, state, std::nullopt);
    MprisPlayerNotifications::info(mpris::spotifyIdentifier, state, 12.5);
    return 0;
}
