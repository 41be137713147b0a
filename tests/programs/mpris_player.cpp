// A media player on the session bus, for the desktop tests: `quorlix-mpris-player READY
// [TITLE]` publishes the test player playing one track (titled TITLE when given) on the bus of
// DBUS_SESSION_BUS_ADDRESS, then creates the file READY and stays until it is ended.

#include "platform/mpris_test_player.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2 && argc != 3) return 2;
    const QString title = argc == 3 ? QString::fromUtf8(argv[2]) : QStringLiteral("Clandestino");
    quorlix::testing::MprisTestPlayer player(QDBusConnection::sessionBus(),
                                             QStringLiteral("org.mpris.MediaPlayer2.testplayer"),
                                             {{QStringLiteral("/org/quorlix/track/1"),
                                               title,
                                               {QStringLiteral("Manu Chao")},
                                               QStringLiteral("Clandestino"),
                                               147'000'000,
                                               {}}});
    player.positionMicroseconds = 12'000'000;
    if (!player.publish()) return 1;
    QFile ready(QString::fromLocal8Bit(argv[1]));
    if (!ready.open(QIODevice::WriteOnly)) return 1;
    ready.close();
    return QCoreApplication::exec();
}
