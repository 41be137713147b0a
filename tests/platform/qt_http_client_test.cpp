// The Qt HTTP client: what its end aborts.

#include "platform/linux/qt_http_client.h"

#include "local_http_server.h"

#include <QNetworkReply>

namespace quorlix::testing {
namespace {

// The real client beside a server of the test's own.
class QtHttpClientTest : public ::testing::Test {
protected:
    QtApplicationMember application;
    fakes::TempHome home;
    LocalServer server;
};

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

}  // namespace
}  // namespace quorlix::testing
