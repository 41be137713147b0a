#include "services/browser_ai_watcher.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

using WatcherStatus = BrowserAIWatcher::Status;

const BrowserAIWatcher::Browser& chrome = BrowserAIWatcher::browsers[0];
const BrowserAIWatcher::Browser& safari = BrowserAIWatcher::browsers[1];

TEST(BrowserAIWatcherScriptTest, ChromiumAndSafariScripts) {
    const std::string test = std::string(BrowserAIWatcher::stopButtonTest);
    EXPECT_EQ(
        test,
        "(function(){var s=['button[aria-label*=Stop]','button[aria-label*=Detener]','button[aria-label*="
        "Parar]','[data-testid=stop-button]','[data-test-id=stop-button]','mat-icon[fonticon=stop]'];for(var "
        "i=0;i<s.length;i++){if(document.querySelector(s[i]))return '1';}return '0';})()");
    EXPECT_EQ(BrowserAIWatcher::script(chrome),
              "tell application \"Google Chrome\"\n"
              "    set out to \"\"\n"
              "    repeat with w in windows\n"
              "        repeat with t in tabs of w\n"
              "            set u to URL of t\n"
              "            if u contains \"gemini.google.com\" or u contains \"chatgpt.com\" or u contains "
              "\"chat.openai.com\" or u contains \"claude.ai\" then\n"
              "                try\n"
              "                    set r to execute t javascript \"" +
                  test +
                  "\"\n"
                  "                on error m\n"
                  "                    if m contains \"JavaScript\" then error m\n"
                  "                    set r to \"0\"\n"
                  "                end try\n"
                  "                set out to out & u & \"|\" & r & linefeed\n"
                  "            end if\n"
                  "        end repeat\n"
                  "    end repeat\n"
                  "    return out\n"
                  "end tell");
    const std::string safariScript = BrowserAIWatcher::script(safari);
    EXPECT_TRUE(safariScript.starts_with("tell application \"Safari\"\n"));
    EXPECT_NE(safariScript.find("\n                    set r to do JavaScript \"" + test + "\" in t\n"),
              std::string::npos);
}

TEST(BrowserAIWatcherReplyTest, ReadsTabsBySiteHost) {
    BrowserAIWatcher::Results results;
    BrowserAIWatcher::readReply(
        "https://chatgpt.com/c/1|0\n"
        "https://chat.openai.com/c/2|1\n"  // the same site as above: busy wins
        "\n"
        "https://gemini.google.com/app|0\n"
        "https://CLAUDE.ai/chat/a|b|1\n"        // a "|" in the URL; the host in capitals
        "https://example.com/?q=claude.ai|1\n"  // another host naming a watched one
        "https://claude.ai.example.com/|1\n"
        "sin separador\n"
        "|1\n"
        "https://gemini.google.com/x|\n",
        results);
    EXPECT_EQ(results,
              (BrowserAIWatcher::Results{{"chatgpt", true}, {"gemini", false}, {"claudeWeb", true}}));
}

class BrowserAIWatcherTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::InlineSerialQueue scripts;
    AgentService agents;
    BrowserAIWatcher watcher{&fake.workspace, &fake.scriptHost, scripts};
    std::vector<std::pair<AgentKind, std::optional<double>>> done;

    void SetUp() override {
        watcher.agents = &agents;
        agents.onDone = [this](AgentKind kind, std::optional<double> elapsed) {
            done.emplace_back(kind, elapsed);
        };
    }
    void reply(const BrowserAIWatcher::Browser& browser, const std::string& text) {
        fake.scriptHost.replies[BrowserAIWatcher::script(browser)] = platform::ScriptValue::text(text);
    }
    bool works(AgentKind kind) const { return agents.working->contains(kind); }
};

TEST_F(BrowserAIWatcherTest, WithoutBrowsersTheWebKindsAreClearedSilently) {
    agents.setWorking(AgentKind::chatgpt, true, false);
    agents.setWorking(AgentKind::claude, true, false);
    watcher.update(true);
    EXPECT_EQ(watcher.status.get(), WatcherStatus::waiting());
    fake.time.advance(1.9);
    EXPECT_TRUE(works(AgentKind::chatgpt)) << "the first pass comes 2 s after enabling";
    fake.time.advance(0.1);
    EXPECT_FALSE(works(AgentKind::chatgpt));
    EXPECT_TRUE(works(AgentKind::claude)) << "only the web kinds are the watcher's";
    EXPECT_TRUE(done.empty());
    EXPECT_TRUE(fake.scriptHost.executed().empty());
}

TEST_F(BrowserAIWatcherTest, ABusyChatWorksUntilItsStopButtonGoes) {
    fake.workspace.running = {"com.google.Chrome", "com.apple.Safari"};
    reply(chrome, "https://chatgpt.com/c/1|1\nhttps://claude.ai/new|0\n");
    reply(safari, "https://chatgpt.com/c/2|0\n");
    watcher.update(true);
    fake.time.advance(2);
    EXPECT_TRUE(works(AgentKind::chatgpt));
    EXPECT_FALSE(works(AgentKind::claudeWeb));
    EXPECT_EQ(watcher.status.get(), WatcherStatus::working());
    EXPECT_EQ(fake.scriptHost.executed(),
              (std::vector<std::string>{BrowserAIWatcher::script(chrome), BrowserAIWatcher::script(safari)}));

    fake.time.advance(4);
    reply(chrome, "https://chatgpt.com/c/1|0\n");
    fake.time.advance(2);
    EXPECT_FALSE(works(AgentKind::chatgpt));
    EXPECT_EQ(done, (std::vector<std::pair<AgentKind, std::optional<double>>>{{AgentKind::chatgpt, 6.0}}));
    EXPECT_EQ(watcher.status.get(), WatcherStatus::waiting());
}

TEST_F(BrowserAIWatcherTest, OneBrowsersFailureLeavesTheOthersStanding) {
    fake.workspace.running = {"com.google.Chrome", "com.apple.Safari", "com.brave.Browser"};
    fake.scriptHost.errors[BrowserAIWatcher::script(chrome)] =
        "Google Chrome got an error: Executing JavaScript through AppleScript is turned off.";
    reply(safari, "https://claude.ai/chat/9|1\n");
    fake.scriptHost.errors[BrowserAIWatcher::script(BrowserAIWatcher::browsers[2])] =
        "Connection is invalid.";
    watcher.update(true);
    fake.time.advance(2);
    EXPECT_EQ(watcher.status.get(), WatcherStatus::needsJavaScript("Google Chrome"));
    EXPECT_TRUE(works(AgentKind::claudeWeb));

    // Chrome allows it again; Safari's tab finishes. The blocked status goes with the pass.
    fake.scriptHost.errors.erase(BrowserAIWatcher::script(chrome));
    reply(safari, "https://claude.ai/chat/9|0\n");
    fake.time.advance(2);
    EXPECT_EQ(watcher.status.get(), WatcherStatus::waiting());
    EXPECT_FALSE(works(AgentKind::claudeWeb));
    EXPECT_EQ(done.size(), 1u);
}

TEST_F(BrowserAIWatcherTest, TheBlockedStatusStaysWhileNoBrowserRuns) {
    fake.workspace.running = {"com.google.Chrome"};
    fake.scriptHost.errors[BrowserAIWatcher::script(chrome)] = "javascript is off";
    watcher.update(true);
    fake.time.advance(2);
    EXPECT_EQ(watcher.status.get(), WatcherStatus::needsJavaScript("Google Chrome"));
    fake.workspace.running.clear();
    fake.time.advance(2);
    EXPECT_EQ(watcher.status.get(), WatcherStatus::needsJavaScript("Google Chrome"));
    watcher.update(false);
    EXPECT_EQ(watcher.status.get(), WatcherStatus::off());
}

TEST(BrowserAIWatcherPassTest, OnePassInFlightAndItsResultsDroppedOnceDisabled) {
    fakes::FakePlatform fake;
    fakes::HeldSerialQueue scripts;
    AgentService agents;
    BrowserAIWatcher watcher(&fake.workspace, &fake.scriptHost, scripts);
    watcher.agents = &agents;
    fake.workspace.running = {"com.google.Chrome"};
    fake.scriptHost.replies[BrowserAIWatcher::script(chrome)] =
        platform::ScriptValue::text("https://gemini.google.com/app|1\n");

    watcher.update(true);
    fake.time.advance(6);  // three ticks; the first pass is still in flight
    EXPECT_EQ(scripts.jobs.size(), 1u);
    watcher.update(false);
    scripts.runAll();
    fake.time.runPending();
    EXPECT_EQ(watcher.status.get(), WatcherStatus::off());
    EXPECT_TRUE(agents.working->empty());

    // Enabled again, the next pass goes out and counts.
    watcher.update(true);
    fake.time.advance(2);
    scripts.runAll();
    fake.time.runPending();
    EXPECT_TRUE(agents.working->contains(AgentKind::gemini));
}

}  // namespace
}  // namespace quorlix
