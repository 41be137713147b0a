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

namespace quorlix {
namespace {

constexpr const char* trustedBuildKey = "accessibilityTrustedBuild";

class PermissionWatcherPollTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeAccessibilityTrust& trust = fake.accessibilityTrust;
    platform::UserDefaults& defaults = platform::UserDefaults::standard();
};

TEST_F(PermissionWatcherPollTest, OnlyAMissingTrustThatAnotherBuildHadCountsAsLost) {
    // (trusted, recorded build, lost) with build 57 running.
    const std::vector<std::tuple<bool, std::optional<std::string>, bool>> rows = {
        {true, std::nullopt, false}, {true, "56", false}, {false, std::nullopt, false},
        {false, "56", true},         {false, "0", true},  {false, "57", false},  // withdrawn under this build
    };
    for (const auto& [trusted, recorded, lost] : rows)
        EXPECT_EQ(PermissionWatcher::lostAfterUpdate(trusted, recorded, "57"), lost)
            << recorded.value_or("-");

    defaults.setString(trustedBuildKey, UpdateService::currentBuild() + "-earlier");
    PermissionWatcher watcher(&trust);
    trust.trusted = true;
    EXPECT_TRUE(watcher.lostAfterUpdate()) << "the last polled trust, not the system's";
    defaults.setString(trustedBuildKey, UpdateService::currentBuild());
    EXPECT_FALSE(watcher.lostAfterUpdate());
    EXPECT_TRUE(PermissionWatcher(&trust).accessibility.get()) << "trust read at construction";
}

TEST_F(PermissionWatcherPollTest, ChangesArePublishedOnceWithTheSpringAndOnlyTrustIsRemembered) {
    PermissionWatcher watcher(&trust);
    std::vector<std::pair<bool, bool>> changes;  // (value, within the spring)
    auto subscription = watcher.accessibility.sink([&](bool value) {
        const auto& animation = ui::Transaction::current().animation;
        changes.emplace_back(value, animation && *animation == ui::Animation::spring(0.4, 0.7));
    });
    watcher.start();
    fake.time.advance(3.5);
    trust.trusted = true;
    fake.time.advance(0.4);
    EXPECT_TRUE(changes.empty()) << "nothing before the poll at 4 s";
    fake.time.advance(0.1);
    EXPECT_EQ(changes, (std::vector<std::pair<bool, bool>>{{true, true}}));
    EXPECT_EQ(defaults.stringForKey(trustedBuildKey), UpdateService::currentBuild());

    defaults.removeObject(trustedBuildKey);
    trust.trusted = false;
    fake.time.advance(3);
    EXPECT_EQ(changes, (std::vector<std::pair<bool, bool>>{{true, true}, {false, true}}));
    EXPECT_FALSE(defaults.hasStoredValue(trustedBuildKey)) << "losing the trust writes nothing";

    // A second start replaces the poll; stop ends it.
    fake.time.advance(0.5);
    watcher.start();
    EXPECT_DOUBLE_EQ(fake.time.queue.nextDueIn(), PermissionWatcher::pollInterval);
    watcher.stop();
    trust.trusted = true;
    fake.time.advance(5);
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(PermissionWatcherPollTest, RequestAsksTheInterceptorOnceAndTheKeysFollowTheSetting) {
    AppSettings::shared().replaceSystemHUD = false;
    PermissionWatcher watcher(&trust);
    watcher.request();
    EXPECT_EQ(trust.prompts, 1);
    // Granted, with the setting off: trusted, and still no keys taken.
    trust.trusted = true;
    fake.time.advance(MediaKeyInterceptor::trustPollInterval);
    EXPECT_TRUE(MediaKeyInterceptor::shared().isTrusted.get());
    EXPECT_FALSE(watcher.accessibility.get()) << "left to the watcher's own poll";
    EXPECT_EQ(fake.eventTaps.created, 0);

    AppSettings::shared().replaceSystemHUD = true;
    watcher.request();
    EXPECT_EQ(trust.prompts, 2);
    EXPECT_TRUE(MediaKeyInterceptor::shared().isActive.get());
}

TEST(PermissionWatcherTest, RememberTrustedStoresTheRunningBuild) {
    fakes::FakePlatform fake;
    PermissionWatcher::rememberTrusted();
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey(trustedBuildKey),
              UpdateService::currentBuild());
    EXPECT_FALSE(UpdateService::currentBuild().empty());
}

}  // namespace
}  // namespace quorlix
