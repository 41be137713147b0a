// A media player of its own for the desktop tests: one MPRIS player on the session bus,
// already playing a track, until it is ended. It writes "ready" to its standard output once
// it is on the bus.
//
//     quorlix-media-player [title [artwork-url [next-title next-artwork-url]]]
//
// With a next track, SIGUSR1 makes it play that file instead under the same track id, as
// players that give every file one id do, and it writes "changed".

#include "platform/mpris_test_player.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>

#include <unistd.h>
#include <csignal>
#include <cstdio>

namespace {

int wakeUp[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wakeUp[1], &byte, 1);
}

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
    std::unique_ptr<QSocketNotifier> changes;
    if (argc > 4 && ::pipe(wakeUp) == 0) {
        std::signal(SIGUSR1, onSignal);
        changes = std::make_unique<QSocketNotifier>(wakeUp[0], QSocketNotifier::Read);
        QObject::connect(changes.get(), &QSocketNotifier::activated, [&] {
            char byte = 0;
            [[maybe_unused]] const auto read = ::read(wakeUp[0], &byte, 1);
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
