// A media player of its own for the desktop tests: one MPRIS player on the session bus,
// already playing a track, until it is ended. It writes "ready" to its standard output once
// it is on the bus.
//
//     quorlix-media-player [title [artwork-url [next-title next-artwork-url]]]
//
// With a next track, SIGUSR1 makes it play that file instead under the same track id, as
// players that give every file one id do, and it writes "changed".

#include "platform/mpris_test_player.h"
#include "platform/signal_wakeup.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

quorlix::testing::TestTrack track(const QString& title, const QString& artwork) {
    return {QStringLiteral("/org/quorlix/track/1"),
            title,
            {QStringLiteral("Ana")},
            QStringLiteral("Disco"),
            180'000'000,
            artwork};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto argument = [&](int i, const char* fallback) {
        return argc > i ? QString::fromLocal8Bit(argv[i]) : QString::fromLatin1(fallback);
    };
    quorlix::testing::MprisTestPlayer player(QDBusConnection::sessionBus(),
                                             QStringLiteral("org.mpris.MediaPlayer2.testplayer"),
                                             {track(argument(1, "Primera"), argument(2, ""))});
    std::unique_ptr<quorlix::testing::SignalWakeup> changes;
    if (argc > 4) {
        changes = std::make_unique<quorlix::testing::SignalWakeup>(SIGUSR1, [&] {
            player.replaceCurrent(track(argument(3, ""), argument(4, "")));
            std::printf("changed\n");
            std::fflush(stdout);
        });
    }
    if (!player.publish()) {
        std::fprintf(stderr, "the player could not take its name on the session bus\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
