// The Qt HTTP client's bounds on a download that goes wrong slowly or fast (a low-speed limit
// counted on the main queue's time, and what it holds of a body it has not taken yet), and
// what its end aborts.

#include "platform/linux/qt_http_client.h"

#include "fakes/virtual_time.h"
#include "local_http_server.h"

#include <QNetworkReply>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

namespace quorlix::testing {
namespace {

namespace fs = std::filesystem;

// The real client beside a server of the test's own, on virtual time: the low-speed limit
// looks at the transfer only when the test moves time on.
class QtHttpClientTest : public ::testing::Test {
protected:
    // A download of a mebibyte the server sends only as the test says, which gives up when
    // fewer than 100 bytes a second came in over a minute; never for silence alone.
    platform::HttpDownloadRequest streamed(const std::string& name) {
        server.replies["/" + QByteArray::fromStdString(name)] = {200, QByteArray(1 << 20, 'z'),
                                                                 "application/octet-stream"};
        server.replies["/" + QByteArray::fromStdString(name)].streamed = true;
        platform::HttpDownloadRequest request;
        request.url = server.base() + "/" + name;
        request.destination = home.path() / name;
        request.idleTimeout = 3600;
        request.lowSpeedLimit = 100;
        request.lowSpeedTime = 60;
        return request;
    }

    std::optional<platform::HttpDownloadResult> result;
    QtApplicationMember application;
    fakes::TempHome home;
    fakes::VirtualTime time;
    LocalServer server;
    platform::QtHttpClient http;
};

TEST_F(QtHttpClientTest, ADownloadSlowerThanItsLowSpeedLimitOverItsWindowFails) {
    // 100 bytes a second over a minute: 6 000 bytes a minute keep it going, 5 999 do not.
    const auto request = streamed("lenta");
    const auto task = http.download(request, [&](platform::HttpDownloadResult r) { result = std::move(r); });
    ASSERT_TRUE(waitUntil([&] { return server.streamCount() == 1; }));

    std::uintmax_t sent = 0;
    const auto minute = [&](int bytes) {
        server.stream(0, QByteArray(bytes, 'z'));
        sent += static_cast<std::uintmax_t>(bytes);
        EXPECT_TRUE(waitUntil([&] {
            std::error_code error;
            return fs::file_size(request.destination, error) == sent;
        }));
        time.advance(60);
    };
    for (int i = 0; i < 3; ++i) {
        minute(6000);
        EXPECT_FALSE(result.has_value()) << "minute " << i << ": " << result->error;
    }
    minute(5999);
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->statusCode, std::nullopt);
    EXPECT_FALSE(result->error.empty());
    EXPECT_FALSE(fs::exists(request.destination));
}

// A body coming just above the low-speed limit still ends by the download's deadline, on the
// main queue's time.
TEST_F(QtHttpClientTest, ADownloadJustFastEnoughEndsByItsDeadline) {
    auto request = streamed("casi");
    request.deadline = 570;
    const auto task = http.download(request, [&](platform::HttpDownloadResult r) { result = std::move(r); });
    ASSERT_TRUE(waitUntil([&] { return server.streamCount() == 1; }));

    // 110 bytes a second, minute after minute.
    std::uint64_t sent = 0;
    for (int minute = 0; minute < 10; ++minute) {
        server.stream(0, QByteArray(6600, 'z'));
        sent += 6600;
        ASSERT_TRUE(waitUntil([&] {
            std::error_code error;
            return fs::file_size(request.destination, error) == sent;
        })) << "minute "
            << minute;
        EXPECT_FALSE(result.has_value()) << "minute " << minute << ": " << result->error;
        time.advance(60);
    }
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->statusCode, std::nullopt);
    EXPECT_EQ(result->error, "tiempo de espera agotado");
    EXPECT_FALSE(fs::exists(request.destination));
}

// A server on a thread of its own that answers one request with an endless body, written as
// fast as the client takes it. It counts what it wrote, and notes when a write found no room
// for half a second: the client took nothing meanwhile.
class EndlessServer {
public:
    EndlessServer() {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~EndlessServer() {
        ::shutdown(listener_, SHUT_RDWR);
        ::shutdown(client_, SHUT_RDWR);
        thread_.join();
        ::close(client_);
        ::close(listener_);
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/sin-fin"; }
    std::uint64_t sent() const { return sent_; }
    // Whether a write found no room since `watch()`.
    bool heldBack() const { return heldBack_; }
    void watch() { heldBack_ = false; }

private:
    void serve() {
        client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        const timeval wait{0, 500'000};
        ::setsockopt(client_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        char request[4096];
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1099511627776\r\n\r\n";
        if (::recv(client_, request, sizeof request, 0) <= 0 ||
            ::send(client_, head.data(), head.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(head.size())) {
            return;
        }
        const std::string body(64 * 1024, 'e');
        for (;;) {
            const ssize_t n = ::send(client_, body.data(), body.size(), MSG_NOSIGNAL);
            if (n > 0) sent_ += static_cast<std::uint64_t>(n);
            if (n < 0 && errno == EAGAIN) heldBack_ = true;
            if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        }
    }

    int listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::atomic<int> client_{-1};
    int port_ = 0;
    std::atomic<std::uint64_t> sent_{0};
    std::atomic<bool> heldBack_{false};
    std::thread thread_;
};

TEST_F(QtHttpClientTest, ABodyFasterThanItIsTakenWaitsOnTheNetwork) {
    EndlessServer endless;
    platform::HttpDownloadRequest request;
    request.url = endless.url();
    request.destination = home.path() / "sin-fin";
    request.maxSize = std::uint64_t{1} << 40;
    auto task = http.download(request, [&](platform::HttpDownloadResult r) { result = std::move(r); });
    const auto written = [&] {
        std::error_code error;
        const auto size = fs::file_size(request.destination, error);
        return error ? 0 : static_cast<std::uint64_t>(size);
    };
    ASSERT_TRUE(waitUntil([&] { return written() > 0; }));

    // The main thread takes nothing now (it writes the file): what went out since is held
    // between the two, in the sockets' own buffers (tens of megabytes at most) and the
    // client's. Without a bound the client reads on, as fast as the server writes.
    endless.watch();
    const std::uint64_t taken = written();
    constexpr std::uint64_t plenty = 256ull << 20;
    ASSERT_TRUE(waitFor([&] { return endless.heldBack() || endless.sent() - taken > plenty; }));
    const std::uint64_t held = endless.sent() - taken;
    EXPECT_TRUE(endless.heldBack());
    EXPECT_LT(held, 64ull << 20) << held << " bytes went out while the client took nothing";
    task.cancel();
    EXPECT_FALSE(result.has_value());
}

// Holds back every event for a reply that has failed but not finished yet: it stays as a
// quit can find it, its failure delivered and its end still on the way.
class FailedReplyEnds : public QObject {
public:
    FailedReplyEnds() { qApp->installEventFilter(this); }
    ~FailedReplyEnds() override { qApp->removeEventFilter(this); }
    int heldBack = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        const auto* reply = qobject_cast<QNetworkReply*>(object);
        if (event->type() != QEvent::MetaCall || !reply || reply->error() == QNetworkReply::NoError ||
            reply->isFinished()) {
            return false;
        }
        ++heldBack;
        return true;
    }
};

TEST_F(QtHttpClientTest, AClientGoingAwayAbortsOnlyTheRepliesStillRunning) {
    static std::vector<std::string> messages;
    const auto previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { messages.push_back(m.toStdString()); });
    server.replies["/espera"] = {200, "{}", "application/json", false, true};
    auto client = std::make_unique<platform::QtHttpClient>();
    int answered = 0;
    std::vector<platform::HttpTask> tasks;
    {
        FailedReplyEnds ends;
        for (const char* path : {"/no-existe", "/espera"}) {
            tasks.push_back(
                client->get({server.base() + path, {}, 60, 1024}, [&](platform::HttpResult) { ++answered; }));
        }
        ASSERT_TRUE(waitUntil([&] { return ends.heldBack > 0 && server.heldCount() == 1; }));
        for (auto& task : tasks) task.detach();
        client.reset();
    }
    qInstallMessageHandler(previous);
    for (const auto& message : messages)
        EXPECT_EQ(message.find("Internal problem"), std::string::npos) << message;
    EXPECT_EQ(answered, 0);
    // Nothing it started stays open.
    EXPECT_TRUE(waitUntil([&] { return server.heldOpen() == 0; }));
}

// A transfer ended while its reply has failed but has not finished yet, by its handle or by a
// download's low-speed limit: the failed reply is not failed a second time.
TEST_F(QtHttpClientTest, EndingATransferWhoseReplyFailedButHasNotFinishedFailsItOnlyOnce) {
    static std::vector<std::string> messages;
    const auto previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { messages.push_back(m.toStdString()); });
    struct Case {
        const char* name;
        bool download;
        bool byLowSpeed;
    };
    int answered = 0;
    int index = 0;
    for (const Case& c : {Case{"a request's handle", false, false}, Case{"a download's handle", true, false},
                          Case{"a download's low-speed limit", true, true}}) {
        SCOPED_TRACE(c.name);
        FailedReplyEnds ends;
        platform::HttpTask task;
        if (c.download) {
            platform::HttpDownloadRequest request;
            request.url = server.base() + "/no-existe";
            request.destination = home.path() / ("descarga-" + std::to_string(index++));
            request.lowSpeedLimit = 100;
            request.lowSpeedTime = 60;
            task = http.download(request, [&](platform::HttpDownloadResult) { ++answered; });
        } else {
            task = http.get({server.base() + "/no-existe", {}, 60, 1024},
                            [&](platform::HttpResult) { ++answered; });
        }
        ASSERT_TRUE(waitUntil([&] { return ends.heldBack > 0; }));
        if (c.byLowSpeed) {
            time.advance(60);
        } else {
            task.cancel();
        }
    }
    qInstallMessageHandler(previous);
    for (const auto& message : messages)
        EXPECT_EQ(message.find("Internal problem"), std::string::npos) << message;
    EXPECT_EQ(answered, 0);
}

}  // namespace
}  // namespace quorlix::testing
