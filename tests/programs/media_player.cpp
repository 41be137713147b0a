// A media player of its own for the desktop tests: one MPRIS player on the session bus,
// already playing a track, until it is ended. It writes "ready" to its standard output once
// it is on the bus.
//
//     quorlix-media-player [title]

#include "platform/mpris_test_player.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString title = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Primera");
    quorlix::testing::MprisTestPlayer player(QDBusConnection::sessionBus(),
                                             QStringLiteral("org.mpris.MediaPlayer2.testplayer"),
                                             {{QStringLiteral("/org/quorlix/track/1"),
                                               title,
                                               {QStringLiteral("Ana")},
                                               QStringLiteral("Disco"),
                                               180'000'000,
                                               {}}});
    if (!player.publish()) {
        std::fprintf(stderr, "the player could not take its name on the session bus\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
