#include "island/island_root_view.h"

#include "fakes/fake_platform.h"
#include "fakes/fixed_font_engine.h"
#include "foundation/app_settings.h"
#include "island/island_environment.h"
#include "island/island_layout.h"
#include "island/live_preview.h"
#include "island/notch_shape.h"
#include "island/wings.h"
#include "services/agent_service.h"
#include "services/calendar_service.h"
#include "services/hud_center.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "ui/ui.h"
#include "ui/view_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorlix {
namespace {

namespace fs = std::filesystem;
using Outline = IslandRootView::Outline;
using fakes::FakeScreens;

class IslandRootViewTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::InlineSerialQueue scripts;
    fakes::FixedFontEngine fonts;
    NowPlayingService nowPlaying{fake.platform(), scripts};
    HUDCenter hud;
    AgentService agents;
    TimerService timer;
    IslandState state;
    VolumeService volume{&fake.audio};
    LyricsService lyrics{&fake.httpClient};
    TrayStore tray;
    WeatherService weather;
    CalendarService calendar;
    std::unique_ptr<ui::ViewGraph> graph;

    IslandServices services() {
        return {
            AppSettings::shared(), nowPlaying, lyrics, tray, weather, volume, hud, timer, agents, calendar};
    }

    // The island as its 920 by 340 panel draws it.
    const ui::DisplayItem& render(const NotchGeometry& geometry) {
        graph = std::make_unique<ui::ViewGraph>(fonts);
        const platform::Clock& clock = platform::Clock::shared();
        graph->update(islandTree(state, geometry, services()), {920, 340}, {}, {clock.now(), clock.date()});
        return graph->displayList();
    }
    // The island's black body as laid out in the panel.
    Rect background(const NotchGeometry& geometry) {
        const ui::DisplayItem* fill = render(geometry).find([](const ui::DisplayItem& item) {
            return item.kind == ui::DisplayItem::Kind::shape && item.fill &&
                   item.fill->color == ui::Color::black && !item.shadow;
        });
        EXPECT_NE(fill, nullptr);
        return fill ? fill->frame : Rect{};
    }
};

TEST_F(IslandRootViewTest, OverANotchTheOutlineRadiiFollowTheMode) {
    const NotchGeometry notch(FakeScreens::notchedLaptop(), false);
    const auto radii = [&](IslandMode mode) {
        const Outline o = IslandRootView::outline(mode, notch, 32);
        const auto* shape = o.shape.as<NotchShape>();
        EXPECT_NE(shape, nullptr);
        EXPECT_EQ(o.topRadius, shape ? shape->topRadius : -1);
        EXPECT_EQ(o.notchBand, 32);
        return std::pair{shape ? shape->topRadius : -1, shape ? shape->bottomRadius : -1};
    };
    EXPECT_EQ(radii(IslandMode::idle), std::pair(6.0, 10.0));
    EXPECT_EQ(radii(IslandMode::deviceDetail), std::pair(10.0, 24.0));
    EXPECT_EQ(radii(IslandMode::volume), std::pair(6.0, 13.0));
    EXPECT_EQ(radii(IslandMode::alertCompact), std::pair(6.0, 13.0));
    AppSettings::shared().islandWidth = 559;
    EXPECT_EQ(radii(IslandMode::expanded), std::pair(14.0, 24.0));
    AppSettings::shared().islandWidth = 560;
    EXPECT_EQ(radii(IslandMode::expanded), std::pair(14.0, 32.0));
}

TEST_F(IslandRootViewTest, AFloatingIslandIsACapsuleExceptForTheDetailAndTheExpandedIsland) {
    const NotchGeometry floating(FakeScreens::externalDisplay(), false);
    for (const auto mode : {IslandMode::idle, IslandMode::live, IslandMode::alertWide, IslandMode::output}) {
        const Outline o = IslandRootView::outline(mode, floating, 27);
        EXPECT_EQ(o.radius, 13.5);
        EXPECT_EQ(o.topRadius, 0);
        EXPECT_EQ(o.notchBand, 0);
    }
    EXPECT_EQ(IslandRootView::outline(IslandMode::deviceDetail, floating, 108).radius, 30);
    LivePreview::shared().width = 559;
    EXPECT_EQ(IslandRootView::outline(IslandMode::expanded, floating, 172).radius, 34);
    LivePreview::shared().width = 560;
    EXPECT_EQ(IslandRootView::outline(IslandMode::expanded, floating, 172).radius, 38);
    LivePreview::shared().width = std::nullopt;
}

TEST_F(IslandRootViewTest, OnlyTheFloatingOrExpandedIslandCastsAShadow) {
    EXPECT_EQ(IslandRootView::shadow(IslandMode::live, false).opacity, 0);
    const auto floating = IslandRootView::shadow(IslandMode::live, true);
    EXPECT_EQ(floating.opacity, 0.3);
    EXPECT_EQ(floating.radius, 6);
    EXPECT_EQ(floating.y, 2);
    for (const bool f : {false, true}) {
        const auto expanded = IslandRootView::shadow(IslandMode::expanded, f);
        EXPECT_EQ(expanded.opacity, 0.5);
        EXPECT_EQ(expanded.radius, 20);
        EXPECT_EQ(expanded.y, 10);
    }
}

TEST_F(IslandRootViewTest, TheOutputMenuHangsUnderItsButtonInsideThePanel) {
    EXPECT_EQ(IslandRootView::outputMenuHeight(0), 39);
    EXPECT_EQ(IslandRootView::outputMenuHeight(3), 97);
    EXPECT_EQ(IslandRootView::outputMenuOrigin({920, 340}, Rect(400, 100, 24, 24), 3), (Point{394, 128}));
    // A button beyond 626 points keeps the menu 300 points from the right edge.
    EXPECT_EQ(IslandRootView::outputMenuOrigin({920, 340}, Rect(640, 100, 24, 24), 3).x, 620);
    // Never past 4 points above the bottom edge.
    EXPECT_EQ(IslandRootView::outputMenuOrigin({920, 340}, Rect(400, 300, 24, 24), 3).y, 340 - 97 - 4);
}

TEST_F(IslandRootViewTest, TheIslandHangsCentredFromThePanelsTopEdge) {
    // Floating: the pill 3 points below the top, as wide as the mode's size.
    const NotchGeometry floating(FakeScreens::externalDisplay(), false);
    EXPECT_EQ(background(floating), Rect((920 - 84) / 2.0, 3, 84, 24));
    hud.show(HUDContent::volume(0.5f, false), 2);
    EXPECT_EQ(background(floating), Rect((920 - 241) / 2.0, 3, 241, 24));

    // Over a notch the outline's flares stand outside the island's width.
    const NotchGeometry notch(FakeScreens::notchedLaptop(), false);
    EXPECT_EQ(background(notch), Rect((920 - 344 - 12) / 2.0, 0, 344 + 12, 32));

    state.expanded = true;
    const Size expanded = IslandLayout::size(IslandMode::expanded, notch.notchSize, false);
    EXPECT_EQ(background(notch),
              Rect((920 - expanded.width - 28) / 2, 0, expanded.width + 28, expanded.height));
}

TEST_F(IslandRootViewTest, OnAFloatingIslandTheDetailCardKeepsInsideTheRoundedOutline) {
    hud.show(
        HUDContent::device({"AirPods Pro", AudioDeviceInfo::Kind::airpodsPro, {80, 60, 40, std::nullopt}}),
        4);
    fake.time.advance(HUDCenter::detailDelay);
    const NotchGeometry floating(FakeScreens::externalDisplay(), false);
    const Rect body = background(floating);
    const ui::Path outline =
        IslandRootView::outline(IslandMode::deviceDetail, floating, body.height()).shape.path(body);
    render(floating);
    // Once the parts have come in.
    fake.time.advance(1.5);
    const platform::Clock& clock = platform::Clock::shared();
    graph->update(islandTree(state, floating, services()), {920, 340}, {}, {clock.now(), clock.date()});
    const ui::DisplayItem& island = graph->present(clock.now());
    const ui::DisplayItem* name = island.findText("AirPods Pro");
    ASSERT_NE(name, nullptr);
    EXPECT_FALSE(name->truncated) << "the name fits beside three rings";
    for (const ui::DisplayItem* part :
         {island.findSymbol("airpodspro"), island.findText("Conectado"), name, island.findText("Estuche")}) {
        ASSERT_NE(part, nullptr);
        const Rect r = island.drawnFrame(part);
        // Clear of the outline by 4 points.
        for (const Point corner : {Point{r.minX() - 4, r.minY() - 4}, Point{r.maxX() + 4, r.minY() - 4},
                                   Point{r.minX() - 4, r.maxY() + 4}, Point{r.maxX() + 4, r.maxY() + 4}})
            EXPECT_TRUE(outline.contains(corner))
                << part->text << part->symbol << " at " << corner.x << ", " << corner.y;
    }
    fake.time.advance(10);
}

TEST_F(IslandRootViewTest, APageWhoseFeatureIsOffDrawsAsTheFirstPage) {
    state.expanded = true;
    state.tab = IslandTab::weather;
    AppSettings::shared().weatherEnabled = false;
    const ui::DisplayItem& island = render(NotchGeometry(FakeScreens::externalDisplay(), false));
    EXPECT_NE(island.findText("Nada sonando"), nullptr);
    EXPECT_EQ(island.findText("Cargando el clima…"), nullptr);
}

TEST_F(IslandRootViewTest, EveryClosedModeShowsItsOwnView) {
    using Kind = AudioDeviceInfo::Kind;
    const std::vector<std::pair<std::function<void()>, const char*>> cases{
        {[&] { timer.start(25); }, "25:00"},
        {[&] { agents.setWorking(AgentKind::codex, true, false); }, "sparkle"},
        {[&] { hud.show(HUDContent::volume(0.2f, false), 2); }, "speaker.wave.1.fill"},
        {[&] { hud.show(HUDContent::brightness(0.4f), 2); }, "sun.min.fill"},
        {[&] {
             hud.show(HUDContent::battery({100, false, true}), 2);
         },
         "Cargada"},
        {[&] {
             hud.show(HUDContent::device({"Max", Kind::airpodsMax, {}}), 2);
         },
         "checkmark.circle.fill"},
        {[&] {
             hud.show(HUDContent::device({"Ana", Kind::airpods, {80, 60, std::nullopt, std::nullopt}}), 4);
             fake.time.advance(HUDCenter::detailDelay);
         },
         "Conectado"},
        {[&] {
             hud.show(HUDContent::output({4, "MacBook Pro", AudioOutput::builtIn}), 2);
         },
         "Bocinas"},
        {[&] {
             hud.show(HUDContent::alert({"timer", "Tiempo", IslandAlert::Tint::orange, "0:00"}), 2);
         },
         "0:00"},
    };
    for (const auto& [setUp, marker] : cases) {
        setUp();
        const ui::DisplayItem& island = render(NotchGeometry(FakeScreens::notchedLaptop(), false));
        EXPECT_TRUE(island.findText(marker) || island.findSymbol(marker)) << marker;
        fake.time.advance(10);
        timer.cancel();
        agents.setWorking(AgentKind::codex, false, false);
    }
}

// The island as a live panel draws it over time.
class LiveIslandTest : public IslandRootViewTest {
protected:
    ui::ViewHost host{fonts,
                      islandTree(state, NotchGeometry(FakeScreens::externalDisplay(), false), services()),
                      {920, 340}};

    double width() {
        fake.time.runPending();
        const ui::DisplayItem* body = host.displayList().find([](const ui::DisplayItem& item) {
            return item.kind == ui::DisplayItem::Kind::shape && item.fill &&
                   item.fill->color == ui::Color::black;
        });
        return body ? body->frame.width() : -1;
    }
    // The opacity of the empty tray's dashed border, where it is drawn.
    std::optional<double> hintBorder() {
        const ui::DisplayItem* border =
            host.graph().present(fake.time.now()).find([](const ui::DisplayItem& item) {
                return item.strokePaint && !item.stroke.dash.empty();
            });
        if (!border) return std::nullopt;
        return std::round(border->strokePaint->color.a * 100) / 100;
    }
};

TEST_F(LiveIslandTest, ATrackSwipeWidensTheLiveIslandForAMoment) {
    nowPlaying.liveVisible = true;
    fake.time.advance(1);
    ASSERT_EQ(width(), 84 + 60);
    state.trackSwipeCount = 1;
    fake.time.advance(0.1);
    state.trackSwipeCount = 2;  // within the first bump: it stays until the first reset
    fake.time.advance(0.05);
    EXPECT_GT(width(), 84 + 60 + 3);
    fake.time.advance(1);
    EXPECT_NEAR(width(), 84 + 60, 0.01);
}

TEST_F(LiveIslandTest, ALivePreviewShowsEachSizeAtOnce) {
    state.expanded = true;
    fake.time.advance(1);
    AppSettings::shared().islandWidth = 400;
    fake.time.advance(0.05);
    EXPECT_LT(width(), 400);  // springs towards it
    fake.time.advance(1);
    LivePreview::shared().width = 500;
    fake.time.advance(0.02);
    EXPECT_EQ(width(), 500);
    LivePreview::shared().width = std::nullopt;
}

TEST_F(LiveIslandTest, FilesDroppedOnTheExpandedIslandGoIntoTheTrayOnlyWhileItIsOn) {
    const fs::path file = fake.home.path() / "nota de voz.m4a";
    std::ofstream(file) << "x";
    const std::vector<ui::DropItem> drop{
        {ui::UTType::fileURL, "file://" + fake.home.path().string() + "/nota%20de%20voz.m4a"}};
    auto& events = host.events();
    // Over a transparent gap of the expanded island, not its text.
    const Point gap{460, 150};
    struct Case {
        bool trayEnabled;
        bool switchesToTray;
        bool accepted;
    };
    for (const Case c : {Case{false, false, false}, Case{true, true, true}}) {
        SCOPED_TRACE(c.trayEnabled);
        AppSettings::shared().trayEnabled = c.trayEnabled;
        state.tab = IslandTab::music;
        state.expanded = true;
        fake.time.advance(1);
        EXPECT_FALSE(events.dragMoved(gap, {"public.text"}));
        EXPECT_TRUE(events.dragMoved(gap, {ui::UTType::fileURL}));
        fake.time.runPending();
        EXPECT_EQ(state.tab.get() == IslandTab::tray, c.switchesToTray);
        // The tray page shows the hover: its empty hint's border brightens.
        fake.time.advance(0.5);
        EXPECT_EQ(hintBorder(), c.switchesToTray ? std::optional(0.7) : std::nullopt);
        // Leaving keeps the page.
        events.dragExited();
        fake.time.advance(0.5);
        EXPECT_EQ(state.tab.get() == IslandTab::tray, c.switchesToTray);
        EXPECT_EQ(hintBorder(), c.switchesToTray ? std::optional(0.22) : std::nullopt);
        EXPECT_EQ(events.dropped(gap, drop), c.accepted);
        fake.time.runPending();
        EXPECT_EQ(tray.items.get().size(), c.accepted ? 1u : 0u);
    }
    EXPECT_EQ(tray.items.get().at(0).url(), file);
}

TEST(Wings, TheWingsShareWhatTheIslandAddsToTheNotch) {
    const Size notch{185, 32};
    EXPECT_EQ(Wings::wingWidth(185, notch), 0);
    EXPECT_EQ(Wings::wingWidth(0, notch), 0);
    EXPECT_EQ(Wings::wingWidth(185 + 157, notch), 78.5);

    fakes::FixedFontEngine fonts;
    ui::ViewGraph graph(fonts);
    const auto wings = Wings{.notch = notch,
                             .left = ui::Text("Bocinas externas de la sala").lineLimit(1).id("left"),
                             .right = ui::Color::white.frame({.width = 20, .height = 10}).id("right")};
    graph.update(ui::View(wings).environment(islandWidth, 185.0 + 157), {342, 32});
    const Rect left = graph.displayList().findId("left")->frame;
    const Rect right = graph.displayList().findId("right")->frame;
    // A child wider than its wing is held to the wing less its margins; both sit at their
    // outer edges, centred in the notch's height.
    EXPECT_EQ(left.minX(), 12);
    EXPECT_LE(left.width(), 60.5);
    EXPECT_EQ(right.maxX(), 342 - 12);
    EXPECT_EQ(right.midY(), 16);
}

}  // namespace
}  // namespace quorlix
