#pragma once
// A web server of the test's own on 127.0.0.1: canned replies by path, the requests it saw,
// and replies held back until the test lets them go, so tests can decide the order in which
// answers arrive; over HTTPS when given a TLS configuration. `LocalServerTest` sets it up
// beside the real HTTP client.

#include "fakes/fake_platform.h"
#include "platform/linux/qt_http_client.h"
#include "platform/linux/qt_main_queue.h"

#include "qt_test_support.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorlix::testing {

class LocalServer {
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
        bool silent = false;  // never answer
        bool held = false;    // answer when the test calls `release`
        QByteArray location;  // sent as the Location header (a redirect)
        int trickle = 0;      // milliseconds between the body's bytes (0: all at once)
        // The head, announcing `body`'s length, goes out at once; the body only as the test
        // sends it (`stream`).
        bool streamed = false;
    };
    struct Request {
        QByteArray target;  // path and query as sent
        QByteArray userAgent;
    };

    explicit LocalServer(std::optional<QSslConfiguration> tls = std::nullopt) {
        const auto accept = [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        };
        if (tls) {
            auto server = std::make_unique<QSslServer>();
            server->setSslConfiguration(*tls);
            // A connection is pending only once its handshake is done.
            QObject::connect(server.get(), &QTcpServer::pendingConnectionAvailable, accept);
            server_ = std::move(server);
        } else {
            server_ = std::make_unique<QTcpServer>();
            QObject::connect(server_.get(), &QTcpServer::newConnection, accept);
        }
        scheme_ = tls ? "https" : "http";
        server_->listen(QHostAddress::LocalHost, 0);
    }

    std::string base() const { return scheme_ + "://127.0.0.1:" + std::to_string(server_->serverPort()); }
    bool isListening() const { return server_->isListening(); }

    std::map<QByteArray, Reply> replies;  // by path, without the query
    std::vector<Request> requests;

    // Replies held back, in the order their requests came.
    std::size_t heldCount() const { return held_.size(); }
    // Held replies whose client is still connected (one that gave up has hung up).
    std::size_t heldOpen() const {
        return static_cast<std::size_t>(std::count_if(held_.begin(), held_.end(), [](const auto& h) {
            return h.first && h.first->state() == QAbstractSocket::ConnectedState;
        }));
    }
    // Replies streamed, in the order their requests came.
    std::size_t streamCount() const { return streams_.size(); }
    // Sends `bytes` of the `index`th streamed reply's body.
    void stream(std::size_t index, const QByteArray& bytes) {
        if (const auto& socket = streams_.at(index)) socket->write(bytes);
    }
    // Sends the `index`th held reply, now with `body`.
    void release(std::size_t index, const QByteArray& body) {
        auto& [socket, reply] = held_.at(index);
        reply.body = body;
        if (socket) write(socket, reply);
    }

private:
    void read(QTcpSocket* socket) {
        auto& buffer = pending_[socket];
        buffer += socket->readAll();
        const auto end = buffer.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        pending_.erase(socket);
        Request request;
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.target = first.value(1);
        for (const QByteArray& line : lines) {
            if (line.toLower().startsWith("user-agent:")) request.userAgent = line.mid(11).trimmed();
        }
        requests.push_back(request);
        const QByteArray path = request.target.split('?').value(0);
        const auto it = replies.find(path);
        const Reply reply = it == replies.end() ? Reply{404, "{}"} : it->second;
        if (reply.silent) return;
        if (reply.held) {
            held_.emplace_back(QPointer<QTcpSocket>(socket), reply);
            return;
        }
        if (reply.streamed) {
            socket->write(head(reply));
            streams_.emplace_back(socket);
            return;
        }
        write(socket, reply);
    }

    static QByteArray head(const Reply& reply) {
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\nContent-Type: " + reply.contentType +
            "\r\nContent-Length: " + QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n";
        if (!reply.location.isEmpty()) head += "Location: " + reply.location + "\r\n";
        return head + "\r\n";
    }

    static void write(QTcpSocket* socket, const Reply& reply) {
        const QByteArray head = LocalServer::head(reply);
        if (reply.trickle > 0) {
            socket->write(head);
            trickle(socket, reply.body, reply.trickle);
            return;
        }
        socket->write(head + reply.body);
        socket->disconnectFromHost();
    }
    // The body a byte at a time, `interval` milliseconds apart, while the client listens.
    static void trickle(QPointer<QTcpSocket> socket, QByteArray rest, int interval) {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState) return;
        if (rest.isEmpty()) {
            socket->disconnectFromHost();
            return;
        }
        socket->write(rest.left(1));
        QTimer::singleShot(interval, socket,
                           [socket, rest = rest.mid(1), interval] { trickle(socket, rest, interval); });
    }

    std::unique_ptr<QTcpServer> server_;
    std::string scheme_;
    std::map<QTcpSocket*, QByteArray> pending_;
    std::vector<std::pair<QPointer<QTcpSocket>, Reply>> held_;
    std::vector<QPointer<QTcpSocket>> streams_;
};

// The Qt main queue and the system clock installed, a temporary home, a local server and the
// real HTTP client.
class LocalServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.isListening());
        backends.mainQueue = &mainQueue;
        backends.clock = &clock;
        platform::install(backends);
    }
    void TearDown() override { platform::install(platform::Platform{}); }

    QtApplicationMember application;
    fakes::TempHome home;
    platform::QtMainQueue mainQueue;
    platform::SystemClock clock;
    platform::Platform backends;
    LocalServer server;
    platform::QtHttpClient http;
};

}  // namespace quorlix::testing
