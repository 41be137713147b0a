// The trust watcher of onboarding on virtual time, with the fake trust and media keys.

#include "settings/permission_watcher.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "platform/user_defaults.h"
#include "services/media_key_interceptor.h"
#include "services/update_service.h"
#include "ui/animation.h"
#include "ui/transaction.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quorlix {
namespace {

constexpr const char* trustedBuildKey = "accessibilityTrustedBuild";

class PermissionWatcherPollTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeAccessibilityTrust& trust = fake.accessibilityTrust;
    platform::UserDefaults& defaults = platform::UserDefaults::standard();
};

TEST(PermissionWatcherLost, OnlyAMissingTrustThatAnotherBuildHadCountsAsLost) {
    struct Row {
        bool trusted;
        std::optional<std::string> recorded;
        bool lost;
    };
    const std::string running = "57";
    const Row rows[] = {
        {true, std::nullopt, false}, {true, "56", false}, {false, std::nullopt, false},
        {false, "56", true},         {false, "0", true},  {false, "57", false},  // withdrawn under this build
    };
    for (const auto& row : rows)
        EXPECT_EQ(PermissionWatcher::lostAfterUpdate(row.trusted, row.recorded, running), row.lost)
            << row.trusted << " " << row.recorded.value_or("-");
}

TEST_F(PermissionWatcherPollTest, LostReadsTheRecordedBuildAndTheLastPolledTrust) {
    defaults.setString(trustedBuildKey, UpdateService::currentBuild() + "-earlier");
    PermissionWatcher watcher(&trust);
    EXPECT_TRUE(watcher.lostAfterUpdate());
    // Not polled yet: the watcher still reads the trust it last saw.
    trust.trusted = true;
    EXPECT_TRUE(watcher.lostAfterUpdate());
    defaults.setString(trustedBuildKey, UpdateService::currentBuild());
    EXPECT_FALSE(watcher.lostAfterUpdate());

    trust.trusted = true;
    EXPECT_TRUE(PermissionWatcher(&trust).accessibility.get()) << "trust read at construction";
    EXPECT_TRUE(PermissionWatcher(nullptr).accessibility.get()) << "nothing to grant";
}

TEST_F(PermissionWatcherPollTest, ChangesArePublishedOnceWithTheSpringAndOnlyTrustIsRemembered) {
    PermissionWatcher watcher(&trust);
    struct Change {
        bool value;
        bool spring;
    };
    std::vector<Change> changes;
    const auto expected = ui::Animation::spring(0.4, 0.7);
    auto subscription = watcher.accessibility.sink([&](bool value) {
        const auto& animation = ui::Transaction::current().animation;
        changes.push_back({value, animation && *animation == expected});
    });

    watcher.start();
    fake.time.advance(3.5);
    EXPECT_TRUE(changes.empty()) << "no change, nothing published";

    trust.trusted = true;
    fake.time.advance(0.4);
    EXPECT_TRUE(changes.empty()) << "seen at the next poll, at 4 s";
    fake.time.advance(0.1);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].value);
    EXPECT_TRUE(changes[0].spring);
    EXPECT_EQ(defaults.stringForKey(trustedBuildKey), UpdateService::currentBuild());

    defaults.removeObject(trustedBuildKey);
    trust.trusted = false;
    fake.time.advance(3);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FALSE(changes[1].value);
    EXPECT_TRUE(changes[1].spring);
    EXPECT_EQ(defaults.stringForKey(trustedBuildKey), std::nullopt) << "losing the trust writes nothing";

    // A second start replaces the poll; stop ends it.
    fake.time.advance(0.5);
    watcher.start();
    EXPECT_DOUBLE_EQ(fake.time.queue.nextDueIn(), PermissionWatcher::pollInterval);
    watcher.stop();
    trust.trusted = true;
    fake.time.advance(5);
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_LT(fake.time.queue.nextDueIn(), 0);
}

TEST_F(PermissionWatcherPollTest, RequestAsksTheInterceptorOnceAndTheKeysFollowTheSetting) {
    AppSettings::shared().replaceSystemHUD = false;
    PermissionWatcher watcher(&trust);
    watcher.request();
    EXPECT_EQ(trust.prompts, 1);
    EXPECT_FALSE(watcher.accessibility.get()) << "left to the next poll";

    // Granted, with the setting off: the interceptor takes no keys.
    trust.trusted = true;
    fake.time.advance(MediaKeyInterceptor::trustPollInterval);
    EXPECT_TRUE(MediaKeyInterceptor::shared().isTrusted.get());
    EXPECT_EQ(fake.eventTaps.created, 0);

    AppSettings::shared().replaceSystemHUD = true;
    watcher.request();
    EXPECT_EQ(trust.prompts, 2);
    EXPECT_EQ(fake.eventTaps.created, 1);
    EXPECT_TRUE(MediaKeyInterceptor::shared().isActive.get());
}

}  // namespace
}  // namespace quorlix
