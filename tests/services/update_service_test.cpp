#include "services/update_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

TEST(UpdateServiceTest, CheckWithoutAClientFailsButNeverWhileInstalling) {
    fakes::FakePlatform fake;
    UpdateService updates;
    bool finished = false;
    updates.check([&] { finished = true; });
    EXPECT_TRUE(finished);
    EXPECT_TRUE(std::holds_alternative<UpdateService::Failed>(updates.state.get()));
    EXPECT_EQ(updates.lastChecked.get(), fake.time.clock.date());

    updates.state = UpdateService::Downloading{0.3};
    fake.time.advance(10);
    updates.check();
    EXPECT_EQ(updates.state.get(), UpdateService::State{UpdateService::Downloading{0.3}});
    EXPECT_NE(updates.lastChecked.get(), fake.time.clock.date()) << "lastChecked untouched";
}

}  // namespace
}  // namespace quorlix
