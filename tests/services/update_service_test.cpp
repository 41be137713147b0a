#include "services/update_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

TEST(UpdateServiceTest, StatesCompareByCaseAndPayload) {
    using U = UpdateService;
    EXPECT_EQ(U::State{U::Available{"1.2.0"}}, U::State{U::Available{"1.2.0"}});
    EXPECT_NE(U::State{U::Available{"1.2.0"}}, U::State{U::Available{"1.2.1"}});
    EXPECT_NE(U::State{U::Downloading{0.3}}, U::State{U::Downloading{0.30001}});
    EXPECT_NE(U::State{U::InstallFailed{"x"}}, U::State{U::Failed{}});
    EXPECT_EQ(U::State{U::Idle{}}, U::State{U::Idle{}});
}

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
