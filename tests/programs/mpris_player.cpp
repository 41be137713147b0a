// A media player on the session bus, for the desktop tests: `quorlix-mpris-player READY`
// publishes the test player playing one track on the bus of DBUS_SESSION_BUS_ADDRESS, then
// creates the file READY and stays until it is ended.

#include "platform/mpris_test_player.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) return 2;
    quorlix::testing::MprisTestPlayer player(QDBusConnection::sessionBus(),
                                             QStringLiteral("org.mpris.MediaPlayer2.testplayer"),
                                             {{QStringLiteral("/org/quorlix/track/1"),
                                               QStringLiteral("Clandestino"),
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
