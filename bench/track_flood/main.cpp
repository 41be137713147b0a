// What a player's flood of tracks costs: the MPRIS test player on a private session bus
// announces a new track every millisecond, and the now-playing and lyrics services follow it
// through the real backends (the bus, the scripts, Qt's HTTP client) against a lyrics service
// of our own on 127.0.0.1 that answers after a delay, as a distant one does. Every second it
// prints the tracks announced, the lyrics requests the server has seen and the process's
// memory; after the flood it waits some seconds more, then tears the services and the client
// down as quitting does, and prints how long that took and how many requests were left open.
//
//     quorlix-track-flood [flood seconds = 20] [reply delay ms = 300] [quiet seconds = 5]

#include "platform/linux/qt_http_client.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/mpris_backends.h"
#include "platform/mpris_test_player.h"
#include "platform/private_bus.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace quorlix;

// Kilobytes of a "Name:   123 kB" line of a /proc file.
long kilobytes(const char* file, const std::string& name) {
    std::ifstream in(file);
    long total = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name, 0) == 0) total += std::stol(line.substr(name.size()));
    }
    return total;
}
double residentMB() { return kilobytes("/proc/self/status", "VmRSS:") / 1024.0; }
double privateMB() {
    return (kilobytes("/proc/self/smaps_rollup", "Private_Clean:") +
            kilobytes("/proc/self/smaps_rollup", "Private_Dirty:")) /
           1024.0;
}

// The lyrics service: every lookup finds nothing ("/api/get" 404, "/api/search" an empty
// list), each answer sent after the delay.
class SlowLyricsServer {
public:
    explicit SlowLyricsServer(int delay) : delay_(delay) {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                ++connections;
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()); }
    int requests = 0;
    int connections = 0;
    // Requests whose answer has not gone out yet, whose client is still there.
    int open() const {
        int n = 0;
        for (const auto& s : waiting_) n += s && s->state() == QAbstractSocket::ConnectedState;
        return n;
    }

private:
    void read(QTcpSocket* socket) {
        buffer_[socket] += socket->readAll();
        if (!buffer_[socket].contains("\r\n\r\n")) return;
        const bool get = buffer_[socket].startsWith("GET /api/get");
        buffer_.erase(socket);
        ++requests;
        waiting_.emplace_back(socket);
        QTimer::singleShot(delay_, socket, [socket, get] {
            const QByteArray body = get ? R"({"code":404})" : "[]";
            socket->write("HTTP/1.1 " + QByteArray(get ? "404" : "200") +
                          " X\r\nContent-Type: application/json\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    }

    int delay_;
    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffer_;
    std::vector<QPointer<QTcpSocket>> waiting_;
};

quorlix::testing::TestTrack numbered(int i) {
    return {QStringLiteral("/org/quorlix/track/%1").arg(i),
            QStringLiteral("Pista %1").arg(i),
            {QStringLiteral("Ana")},
            QStringLiteral("Disco"),
            180'000'000,
            {}};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int floodSeconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const int delay = argc > 2 ? std::atoi(argv[2]) : 300;
    const int quietSeconds = argc > 3 ? std::atoi(argv[3]) : 5;

    quorlix::testing::PrivateBus bus;
    if (!bus.running()) {
        std::fprintf(stderr, "quorlix-track-flood: dbus-daemon did not start\n");
        return 2;
    }
    platform::QtMainQueue mainQueue;
    platform::SystemClock clock;
    SlowLyricsServer server(delay);
    quorlix::testing::MprisTestPlayer player(bus.connect(QStringLiteral("player")),
                                    QStringLiteral("org.mpris.MediaPlayer2.flood"), {numbered(0)});
    if (!player.publish()) return 2;

    quorlix::testing::MprisBackends backends(bus.connect(QStringLiteral("quorlix")), mainQueue, clock);

    quorlix::testing::FollowedPlayers services(backends.platform, server.base());

    std::printf("seconds  tracks  requests  rss MB  private MB\n");
    const double startRSS = residentMB();
    std::printf("%7d %7d %9d %7.1f %11.1f\n", 0, 0, 0, startRSS, privateMB());
    int announced = 0;
    int elapsed = 0;
    QTimer skipper;
    QObject::connect(&skipper, &QTimer::timeout, [&] { player.replaceCurrent(numbered(++announced)); });
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        ++elapsed;
        if (elapsed == floodSeconds) skipper.stop();
        std::printf("%7d %7d %9d %7.1f %11.1f\n", elapsed, announced, server.requests, residentMB(),
                    privateMB());
        std::fflush(stdout);
        if (elapsed >= floodSeconds + quietSeconds) app.quit();
    });
    skipper.start(1);
    report.start(1000);
    QCoreApplication::exec();

    // Quitting: the services and the client go, with whatever they have in flight.
    const int openBefore = server.open();
    QElapsedTimer teardown;
    teardown.start();
    services.quit();
    const qint64 took = teardown.elapsed();
    // The server hears the hang-ups.
    QElapsedTimer listening;
    listening.start();
    while (listening.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::printf("quit: %lld ms; lyrics requests open before %d, after %d; %d connections in all\n",
                static_cast<long long>(took), openBefore, server.open(), server.connections);
    return 0;
}
