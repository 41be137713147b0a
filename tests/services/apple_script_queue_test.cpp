// The script queue: scripts run one at a time in submission order, answer on the main
// thread, and a script past its time limit yields nothing without holding up the next.

#include "services/apple_script_queue.h"
#include "fakes/fake_platform.h"
#include "fakes/wait_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace quorlix {
namespace {

using platform::ScriptValue;
using namespace std::chrono_literals;

class AppleScriptQueueTest : public ::testing::Test {
protected:
    fakes::VirtualTime time;
    fakes::FakeScriptHost host;
    platform::ThreadSerialQueue queue;

    // Runs main-queue work until `done` holds (see fakes/wait_for.h).
    template <class Pred>
    ::testing::AssertionResult waitFor(Pred done) {
        return testing::waitFor(done, {}, [this] {
            time.runPending();
            testing::shortPause();
        });
    }
};

TEST_F(AppleScriptQueueTest, ScriptsRunAndAnswerInSubmissionOrder) {
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    host.handler = [&](const std::string& source, double) -> std::optional<ScriptValue> {
        if (running.fetch_add(1) != 0) overlapped = true;
        std::this_thread::sleep_for(2ms);
        running.fetch_sub(1);
        return ScriptValue::text(source);
    };
    std::vector<std::string> answers;
    for (int i = 0; i < 6; ++i) {
        runScript(queue, &host, "script " + std::to_string(i), 1, [&](std::optional<ScriptValue> v) {
            answers.push_back(v ? v->stringValue().value_or("?") : "none");
        });
    }
    ASSERT_TRUE(waitFor([&] { return answers.size() == 6; }));
    EXPECT_EQ(answers, (std::vector<std::string>{"script 0", "script 1", "script 2", "script 3", "script 4",
                                                 "script 5"}));
    EXPECT_EQ(host.executed(), answers);
    EXPECT_FALSE(overlapped);
}

TEST_F(AppleScriptQueueTest, OverrunScriptYieldsNothingAndTheNextStillRuns) {
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    host.handler = [&](const std::string& source, double) -> std::optional<ScriptValue> {
        if (source == "slow") {
            started = true;
            while (!release) std::this_thread::sleep_for(1ms);  // a host that ignores its limit
        }
        return ScriptValue::text(source);
    };
    std::vector<std::optional<std::string>> answers;
    auto record = [&](std::optional<ScriptValue> v) {
        answers.push_back(v ? v->stringValue() : std::nullopt);
    };
    runScript(queue, &host, "slow", 5, record);
    runScript(queue, &host, "fast", 5, record);
    ASSERT_TRUE(waitFor([&] { return started.load(); }));

    // The limit runs from the slow script's start; at its end the caller hears nothing.
    time.advance(4.9);
    EXPECT_TRUE(answers.empty());
    time.advance(0.2);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], std::nullopt);

    // The late reply is dropped; the next script, which waited longer than the limit in the
    // queue, still has its whole limit and answers.
    release = true;
    ASSERT_TRUE(waitFor([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers[1], std::optional<std::string>("fast"));
    time.advance(10);
    EXPECT_EQ(answers.size(), 2u);
}

TEST_F(AppleScriptQueueTest, HostIsToldTheLimitAndAMissingHostAnswersNothing) {
    double limitSeen = 0;
    host.handler = [&](const std::string&, double limit) -> std::optional<ScriptValue> {
        limitSeen = limit;
        return ScriptValue::boolean(true);
    };
    int answers = 0;
    std::optional<ScriptValue> fromMissing = ScriptValue::boolean(true);
    runScript(queue, &host, "a", 2.5, [&](std::optional<ScriptValue>) { ++answers; });
    runScript(queue, nullptr, "b", 2.5, [&](std::optional<ScriptValue> v) {
        fromMissing = v;
        ++answers;
    });
    ASSERT_TRUE(waitFor([&] { return answers == 2; }));
    EXPECT_DOUBLE_EQ(limitSeen, 2.5);
    EXPECT_FALSE(fromMissing);
}

TEST(ScriptValueTest, KindsReadAsTheyCan) {
    EXPECT_EQ(ScriptValue::number(2.5).stringValue(), "2.5");
    EXPECT_EQ(ScriptValue::text("12.5").doubleValue(), 12.5);
    EXPECT_FALSE(ScriptValue::text("12,5 s").doubleValue());
    EXPECT_FALSE(ScriptValue::number(std::numeric_limits<double>::infinity()).doubleValue());
    EXPECT_EQ(ScriptValue::text("true").booleanValue(), true);
    EXPECT_FALSE(ScriptValue::text("yes").booleanValue());
    EXPECT_FALSE(ScriptValue::text("abc").data());
    EXPECT_FALSE(ScriptValue::bytes({1, 2}).stringValue());
    EXPECT_EQ(ScriptValue::bytes({1, 2}).data(), (ScriptValue::Bytes{1, 2}));
}

}  // namespace
}  // namespace quorlix
