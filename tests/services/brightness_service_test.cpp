#include "services/brightness_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

class BrightnessServiceTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeDisplayBrightness& displays = fake.displayBrightness;
    BrightnessService brightness{&displays};
    std::vector<float> changes;

    void start() {
        brightness.onChange = [this](float level) { changes.push_back(level); };
        brightness.start();
    }
    void report(float level) {
        displays.levels[brightness.display()] = level;
        displays.fire(brightness.display());
    }
};

TEST_F(BrightnessServiceTest, StartPicksTheBuiltInDisplayElseTheMainOne) {
    displays.list = {{4, false}, {9, true}};
    displays.main = 4;
    displays.levels = {{4, 0.2f}, {9, 0.7f}};
    start();
    EXPECT_EQ(brightness.display(), 9u);
    EXPECT_EQ(brightness.level.get(), 0.7f);
    EXPECT_TRUE(changes.empty()) << "the first reading is published without a callback";
    EXPECT_EQ(displays.listenerCount(9), 1u);

    BrightnessService external{&displays};
    displays.list = {{4, false}};
    external.start();
    EXPECT_EQ(external.display(), 4u);
    EXPECT_EQ(external.level.get(), 0.2f);
}

TEST_F(BrightnessServiceTest, OnlyAMoveOfMoreThanTheThresholdIsAChange) {
    start();
    report(0.501f);
    report(0.499f);
    EXPECT_EQ(brightness.level.get(), 0.5f);
    EXPECT_TRUE(changes.empty());

    report(0.5011f);
    EXPECT_EQ(brightness.level.get(), 0.5011f);
    EXPECT_EQ(changes, std::vector<float>{0.5011f});

    // A reading that fails after a notice changes nothing.
    displays.levels[1] = std::nullopt;
    displays.fire(1);
    EXPECT_EQ(brightness.level.get(), 0.5011f);
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(BrightnessServiceTest, AWritePublishesNothingUntilTheDisplayReportsIt) {
    start();
    brightness.writeLevel(0.8f);
    brightness.writeLevel(1.7f);
    EXPECT_EQ(displays.writes, (std::vector<fakes::FakeDisplayBrightness::Write>{{1, 0.8f}, {1, 1.0f}}));
    EXPECT_EQ(brightness.level.get(), 0.5f);
    EXPECT_TRUE(changes.empty());

    report(0.8f);
    EXPECT_EQ(brightness.level.get(), 0.8f);
    EXPECT_EQ(changes, std::vector<float>{0.8f});
}

TEST_F(BrightnessServiceTest, WithoutAnInterfaceNothingEverChanges) {
    BrightnessService none{nullptr};
    none.onChange = [this](float level) { changes.push_back(level); };
    none.start();
    none.writeLevel(0.3f);
    EXPECT_EQ(none.level.get(), 0.0f);
    EXPECT_FALSE(none.isSettable());
    EXPECT_FALSE(none.readLevel());
    EXPECT_TRUE(changes.empty());
}

}  // namespace
}  // namespace quorlix
