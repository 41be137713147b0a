#include "island/island_layout.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "foundation/notch_geometry.h"
#include "island/live_preview.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

class IslandLayoutTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    const Size notch{185, 32};

    void SetUp() override {
        IslandLayout::wideAgent = false;
        IslandLayout::wideDevice = false;
    }
    void TearDown() override {
        LivePreview::shared().width = std::nullopt;
        LivePreview::shared().height = std::nullopt;
        IslandLayout::wideAgent = false;
        IslandLayout::wideDevice = false;
    }
    Size size(IslandMode mode, bool hovering = false) const {
        return IslandLayout::size(mode, notch, hovering);
    }
};

TEST_F(IslandLayoutTest, ClosedSizes) {
    struct Row {
        IslandMode mode;
        double extraWidth;
        double extraHeight;
    };
    const std::vector<Row> rows{
        {IslandMode::idle, 0, 0},          {IslandMode::live, 60, 0},    {IslandMode::timer, 120, 0},
        {IslandMode::agent, 120, 0},       {IslandMode::alert, 190, 0},  {IslandMode::alertWide, 300, 0},
        {IslandMode::alertCompact, 60, 0}, {IslandMode::volume, 157, 0}, {IslandMode::brightness, 157, 0},
        {IslandMode::battery, 157, 0},     {IslandMode::device, 104, 0}, {IslandMode::deviceDetail, 157, 84},
        {IslandMode::output, 190, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(size(row.mode), (Size{185 + row.extraWidth, 32 + row.extraHeight}))
            << static_cast<int>(row.mode);
        // Hovering grows every closed mode by 14 by 3.
        EXPECT_EQ(size(row.mode, true), (Size{199 + row.extraWidth, 35 + row.extraHeight}))
            << static_cast<int>(row.mode);
    }
}

TEST_F(IslandLayoutTest, WideFlagsWidenAgentAndDevice) {
    IslandLayout::wideAgent = true;
    IslandLayout::wideDevice = true;
    EXPECT_EQ(size(IslandMode::agent).width, 185 + 140);
    EXPECT_EQ(size(IslandMode::device).width, 185 + 130);
    EXPECT_EQ(size(IslandMode::deviceDetail).width, 185 + 157);
}

TEST_F(IslandLayoutTest, ExpandedSizeUsesTheSettingsAndAtLeast32PointsOfNotch) {
    auto& settings = AppSettings::shared();
    settings.islandWidth = 400;
    settings.islandHeight = 150;
    EXPECT_EQ(size(IslandMode::expanded), (Size{400, 32 + 150}));
    EXPECT_EQ(size(IslandMode::expanded, true), (Size{400, 32 + 150})) << "hovering changes nothing";
    EXPECT_EQ(IslandLayout::size(IslandMode::expanded, Size{100, 20}, false), (Size{400, 32 + 150}));
    EXPECT_EQ(IslandLayout::size(IslandMode::expanded, Size{100, 37}, false), (Size{400, 37 + 150}));
}

TEST_F(IslandLayoutTest, LivePreviewOverridesTheStoredSize) {
    auto& settings = AppSettings::shared();
    settings.islandWidth = 343;
    settings.islandHeight = 140;
    auto& preview = LivePreview::shared();
    EXPECT_FALSE(preview.isActive());

    preview.width = 500;
    EXPECT_EQ(IslandLayout::expandedWidth(), 500);
    EXPECT_EQ(IslandLayout::expandedBodyHeight(), 140);
    EXPECT_TRUE(preview.isActive());
    preview.height = 200;
    EXPECT_EQ(size(IslandMode::expanded), (Size{500, 232}));

    preview.width = std::nullopt;
    preview.height = std::nullopt;
    EXPECT_EQ(IslandLayout::expandedWidth(), 343);
    EXPECT_FALSE(preview.isActive());
    preview.transparency = 0.5;
    EXPECT_TRUE(preview.isActive()) << "transparency counts too";
    preview.transparency = std::nullopt;
}

TEST_F(IslandLayoutTest, The560PointSwitchDecidesTheTallBody) {
    auto& settings = AppSettings::shared();
    struct Row {
        double width, height;
        bool wide, tall;
    };
    const std::vector<Row> rows{
        {560, 150, true, true},  {560, 149, true, false},  {559, 149, false, true},
        {559, 125, false, true}, {559, 124, false, false}, {860, 250, true, true},
    };
    for (const auto& row : rows) {
        settings.islandWidth = row.width;
        settings.islandHeight = row.height;
        EXPECT_EQ(IslandLayout::isWideExpanded(), row.wide) << row.width << "x" << row.height;
        EXPECT_EQ(IslandLayout::tallBody(), row.tall) << row.width << "x" << row.height;
        EXPECT_EQ(IslandLayout::scale(), row.tall ? 1.0 : 0.8);
    }
}

TEST_F(IslandLayoutTest, SizeFromTheNotchGeometry) {
    const NotchGeometry geometry(fakes::FakeScreens::notchedLaptop(), false);
    EXPECT_EQ(IslandLayout::size(IslandMode::live, geometry, false),
              (Size{geometry.notchSize.width + 60, geometry.notchSize.height}));
}

}  // namespace
}  // namespace quorlix
