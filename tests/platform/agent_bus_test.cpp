// The agents' notifications over a private session bus: the hook commands written into the
// agents' files, run as the agents run them, reach the agent service. And the browser
// watcher on Linux, where no supported browser is known to run.

#include "fakes/fake_platform.h"
#include "platform/linux/dbus_agent_notifications.h"
#include "platform/linux/linux_workspace.h"
#include "platform/linux/mpris_bus.h"
#include "platform/linux/qt_main_queue.h"
#include "services/agent_service.h"
#include "services/browser_ai_watcher.h"

#include "mpris_test_player.h"
#include "private_bus.h"
#include "qt_test_support.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

namespace quorlix::testing {
namespace {

class AgentBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.ready());
        connection = bus.connect(QStringLiteral("quorlix"));
        ASSERT_TRUE(connection.isConnected());
        notifications = std::make_unique<platform::DBusAgentNotifications>(connection);
        backends.mainQueue = &mainQueue;
        backends.clock = &clock;
        backends.agentNotifications = notifications.get();
        platform::install(backends);
        agents = std::make_unique<AgentService>();
        agents->onDone = [this](AgentKind kind, std::optional<double> elapsed) {
            done.emplace_back(kind, elapsed);
        };
    }

    void TearDown() override {
        agents.reset();
        platform::install(platform::Platform{});
    }

    // Runs `program` as an agent would, on the private bus as its session bus; answers
    // whether it succeeded.
    bool run(const QString& program, const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromStdString(bus.address()));
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        return waitUntil([&] { return process.state() == QProcess::NotRunning; }) &&
               process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    bool runShell(const std::string& command) {
        return run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromStdString(command)});
    }

    QtApplicationMember application;
    fakes::TempHome home;
    PrivateBus bus;
    QDBusConnection connection{QString()};
    platform::QtMainQueue mainQueue;
    // The work's length is read from it.
    fakes::ManualClock clock;
    std::unique_ptr<platform::DBusAgentNotifications> notifications;
    platform::Platform backends;
    std::unique_ptr<AgentService> agents;
    std::vector<std::pair<AgentKind, std::optional<double>>> done;
};

TEST_F(AgentBusTest, TheHookCommandsReportWorkAndItsEnd) {
    const std::string working =
        "/usr/bin/dbus-send --session --type=signal /com/halvik/quorlix "
        "com.halvik.quorlix.agent.cursor.working";
    const std::string finished =
        "/usr/bin/dbus-send --session --type=signal /com/halvik/quorlix com.halvik.quorlix.agent.cursor.done";
    ASSERT_EQ(AgentService::hookCommand(AgentKind::cursor, "working"), working);
    ASSERT_EQ(AgentService::hookCommand(AgentKind::cursor, "done"), finished);

    ASSERT_TRUE(runShell(working));
    ASSERT_TRUE(waitUntil([&] { return agents->working->contains(AgentKind::cursor); }));
    EXPECT_TRUE(done.empty());
    clock.setNow(clock.now() + 42);  // the agent works for 42 s
    ASSERT_TRUE(runShell(finished));
    ASSERT_TRUE(waitUntil([&] { return !done.empty(); }));
    EXPECT_FALSE(agents->working->contains(AgentKind::cursor));
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].first, AgentKind::cursor);
    ASSERT_TRUE(done[0].second);
    EXPECT_DOUBLE_EQ(*done[0].second, 42);
}

TEST_F(AgentBusTest, CodexNotifyProgramIgnoresTheArgumentCodexAdds) {
    // Codex runs the array as a program with its arguments and adds one of its own.
    QStringList words;
    const auto matches = QRegularExpression(QStringLiteral("\"([^\"]*)\""))
                             .globalMatch(QString::fromStdString(AgentService::codexLine()));
    for (auto it = matches; it.hasNext();) words << it.next().captured(1);
    ASSERT_EQ(words.size(), 3);
    ASSERT_TRUE(run(words[0], {words[1], words[2], QStringLiteral(R"({"type":"agent-turn-complete"})")}));
    ASSERT_TRUE(waitUntil([&] { return !done.empty(); }));
    EXPECT_EQ(done[0], (std::pair<AgentKind, std::optional<double>>{AgentKind::codex, std::nullopt}));
}

TEST_F(AgentBusTest, OnLinuxNoSupportedBrowserRunsAndEachPassClearsTheWebAgents) {
    // A browser playing media is on the bus as an MPRIS player; that does not make it
    // scriptable.
    platform::MprisBus mpris(connection);
    platform::LinuxWorkspace workspace(mpris);
    MprisTestPlayer chromium(bus.connect(QStringLiteral("chromium")),
                             QStringLiteral("org.mpris.MediaPlayer2.chromium.instance42"),
                             {{QStringLiteral("/org/chromium/1"), QStringLiteral("Vídeo"), {}, {}, 0, {}}});
    ASSERT_TRUE(chromium.publish());
    ASSERT_TRUE(waitUntil([&] { return workspace.isRunning("com.apple.Music"); }));
    for (const auto& browser : BrowserAIWatcher::browsers)
        EXPECT_FALSE(workspace.isRunning(std::string(browser.bundleID)));

    platform::ThreadSerialQueue scripts;
    BrowserAIWatcher watcher(&workspace, nullptr, scripts);
    watcher.agents = agents.get();
    agents->setWorking(AgentKind::chatgpt, true, false);
    watcher.update(true);
    ASSERT_TRUE(waitUntil([&] { return agents->working->empty(); }));
    EXPECT_EQ(watcher.status.get(), BrowserAIWatcher::Status::waiting());
    EXPECT_TRUE(done.empty());
}

}  // namespace
}  // namespace quorlix::testing
