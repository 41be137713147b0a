#include "services/agent_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorlix {
namespace {

struct Done {
    AgentKind kind;
    std::optional<double> elapsed;
    friend bool operator==(const Done&, const Done&) = default;
};

class AgentServiceTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    AgentService agents;
    std::vector<Done> done;
    std::vector<AgentKind> asked;

    void SetUp() override {
        agents.onDone = [this](AgentKind kind, std::optional<double> elapsed) {
            done.push_back({kind, elapsed});
        };
        agents.onNeedsInput = [this](AgentKind kind) { asked.push_back(kind); };
    }
    void advance(double seconds) { fake.time.advance(seconds); }
    bool works(AgentKind kind) const { return agents.working->contains(kind); }
};

TEST(AgentKindTest, RawValuesAndTheSharedClaudeLook) {
    EXPECT_EQ(fromRawValue<AgentKind>("claudeWeb"), AgentKind::claudeWeb);
    EXPECT_EQ(fromRawValue<AgentKind>("Claude"), std::nullopt);
    EXPECT_EQ(displayName(AgentKind::claudeWeb), "Claude");
    EXPECT_EQ(displayName(AgentKind::other), "Agente");
    EXPECT_EQ(tint(AgentKind::claude), tint(AgentKind::claudeWeb));
}

TEST(AgentServiceFormatTest, TruncatesAndGrowsUnits) {
    EXPECT_EQ(AgentService::format(42), "42s");
    EXPECT_EQ(AgentService::format(59.9), "59s");
    EXPECT_EQ(AgentService::format(60), "1:00");
    EXPECT_EQ(AgentService::format(425), "7:05");
    EXPECT_EQ(AgentService::format(3599), "59:59");
    EXPECT_EQ(AgentService::format(3600), "1:00:00");
    EXPECT_EQ(AgentService::format(3729), "1:02:09");
}

TEST_F(AgentServiceTest, WorkingThenDoneReportsTheElapsedTime) {
    agents.handle("quorlix://agent?agent=cursor&event=working");
    EXPECT_TRUE(works(AgentKind::cursor));
    advance(30);
    agents.handle("quorlix://agent?agent=cursor&event=working");  // keeps the first start
    advance(12);
    agents.handle("quorlix://agent?agent=cursor&event=done");
    EXPECT_FALSE(works(AgentKind::cursor));
    EXPECT_EQ(done, (std::vector<Done>{{AgentKind::cursor, 42.0}}));
}

TEST_F(AgentServiceTest, DoneWithoutWorkHasNoElapsedAndRepeatsWithinFiveSecondsAreQuiet) {
    agents.handle("quorlix://agent?agent=codex&event=done");
    EXPECT_EQ(done, (std::vector<Done>{{AgentKind::codex, std::nullopt}}));

    agents.handle("quorlix://agent?agent=codex&event=working");
    advance(4.9);
    agents.handle("quorlix://agent?agent=codex&event=done");
    EXPECT_FALSE(works(AgentKind::codex)) << "the repeat still stops the agent";
    EXPECT_EQ(done.size(), 1u);
    advance(0.2);  // 5.1 s after the one passed on
    agents.handle("quorlix://agent?agent=codex&event=done");
    EXPECT_EQ(done.size(), 2u);
}

TEST_F(AgentServiceTest, InputIsAskedOncePerTwoMinutesUnlessWorkIntervenes) {
    agents.handle("quorlix://agent?agent=claude&event=input");
    advance(100);
    agents.handle("quorlix://agent?agent=claude&event=input");
    EXPECT_EQ(asked.size(), 1u);
    agents.handle("quorlix://agent?agent=claude&event=working");
    agents.handle("quorlix://agent?agent=claude&event=input");
    EXPECT_EQ(asked.size(), 2u);
    advance(120);
    agents.handle("quorlix://agent?agent=claude&event=input");
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_TRUE(works(AgentKind::claude)) << "input does not touch the working set";
}

TEST_F(AgentServiceTest, IdleAndCancelStopSilently) {
    agents.handle("quorlix://agent?agent=gemini&event=working");
    agents.handle("quorlix://agent?agent=gemini&event=idle");
    agents.handle("quorlix://agent?agent=chatgpt&event=working");
    agents.handle("quorlix://agent?agent=chatgpt&event=cancel");
    EXPECT_TRUE(agents.working->empty());
    EXPECT_TRUE(done.empty());
}

TEST_F(AgentServiceTest, URLRules) {
    agents.handle("quorlix://agent?event=working");  // no agent: other
    EXPECT_TRUE(works(AgentKind::other));
    agents.handle("quorlix://agent?agent=claude");  // no event: nothing
    agents.handle("quorlix://agent?agent=claude&event=sleeping");
    agents.handle("quorlix://agents?agent=claude&event=working");
    agents.handle("QUORLIX://agent?agent=claude&event=working");
    agents.handle("other://agent?agent=claude&event=working");
    agents.handle("quorlix://agent");
    EXPECT_FALSE(works(AgentKind::claude));
    agents.handle("quorlix://agent?agent=claude&agent=codex&event=working&event=done");  // first wins
    EXPECT_TRUE(works(AgentKind::claude));
    EXPECT_FALSE(works(AgentKind::codex));
    agents.handle("quorlix://agent?agent=claude%57eb&event=%77orking#x");  // percent-encoded
    EXPECT_TRUE(works(AgentKind::claudeWeb));
}

TEST_F(AgentServiceTest, PrimaryIsTheEarliestStart) {
    EXPECT_FALSE(agents.primary());
    agents.handle("quorlix://agent?agent=codex&event=working");
    const Date codexStart = fake.time.clock.date();
    advance(5);
    agents.handle("quorlix://agent?agent=claude&event=working");
    EXPECT_EQ(agents.primary(), (AgentService::Primary{AgentKind::codex, codexStart}));
    agents.handle("quorlix://agent?agent=codex&event=done");
    EXPECT_EQ(agents.primary()->kind, AgentKind::claude);
}

TEST_F(AgentServiceTest, SilentAgentsAreSweptAfterFifteenMinutes) {
    agents.handle("quorlix://agent?agent=claude&event=working");
    advance(400);
    agents.handle("quorlix://agent?agent=codex&event=working");
    advance(540);  // claude silent for 940 s, checked at 60 s after codex's event, then every 60 s
    EXPECT_FALSE(works(AgentKind::claude));
    EXPECT_TRUE(works(AgentKind::codex));
    advance(420);
    EXPECT_FALSE(works(AgentKind::codex));
    EXPECT_TRUE(done.empty()) << "a swept agent is not reported done";
    EXPECT_LT(fake.time.queue.nextDueIn(), 0) << "the sweep ends once nothing works";
}

TEST_F(AgentServiceTest, AnAgentSilentThroughASleepIsSweptAtWake) {
    agents.handle("quorlix://agent?agent=claude&event=working");
    advance(10);
    fake.time.suspend(3600);
    EXPECT_FALSE(works(AgentKind::claude));
}

TEST_F(AgentServiceTest, SetWorkingFromTheBrowserWatcher) {
    agents.setWorking(AgentKind::chatgpt, true, true);
    advance(8);
    agents.setWorking(AgentKind::chatgpt, true, true);  // keeps its start
    advance(2);
    agents.setWorking(AgentKind::chatgpt, false, true);
    agents.setWorking(AgentKind::chatgpt, false, true);  // not working: nothing
    EXPECT_EQ(done, (std::vector<Done>{{AgentKind::chatgpt, 10.0}}));
    agents.setWorking(AgentKind::gemini, true, false);
    agents.setWorking(AgentKind::gemini, false, false);
    EXPECT_EQ(done.size(), 1u);
}

}  // namespace
}  // namespace quorlix

namespace quorlix {
namespace {

TEST(AgentNotificationsTest, EveryKindAndEventIsListenedToForTheServicesLife) {
    fakes::FakePlatform fake;
    fake.agentNotifications.refused.insert("com.halvik.quorlix.agent.gemini.idle");
    auto agents = std::make_unique<AgentService>();
    EXPECT_EQ(fake.agentNotifications.observerCount(), 27u) << "7 kinds by 4 events, less the refused one";

    std::vector<std::pair<AgentKind, std::optional<double>>> done;
    agents->onDone = [&](AgentKind kind, std::optional<double> elapsed) { done.emplace_back(kind, elapsed); };
    fake.agentNotifications.post("com.halvik.quorlix.agent.claudeWeb.working");
    EXPECT_TRUE(agents->working->contains(AgentKind::claudeWeb));
    fake.time.advance(3);
    fake.agentNotifications.post("com.halvik.quorlix.agent.claudeWeb.done");
    EXPECT_EQ(done, (std::vector<std::pair<AgentKind, std::optional<double>>>{{AgentKind::claudeWeb, 3.0}}));

    agents.reset();
    EXPECT_EQ(fake.agentNotifications.observerCount(), 0u);
}

}  // namespace
}  // namespace quorlix
