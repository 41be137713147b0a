#include "island_test_support.h"

#include "fakes/fixed_font_engine.h"
#include "island/island_layout.h"
#include "island/island_root_view.h"
#include "platform/linux/scroll_gesture.h"
#include "platform/user_defaults.h"
#include "ui/view_host.h"

namespace quorlix {
namespace {

using platform::HapticPattern;
using platform::PointerEventType;
using platform::ScrollPhase;
using testing::IslandTest;

class NotchWindowControllerTest : public IslandTest {
protected:
    fakes::FixedFontEngine fonts;
    // A rectangle of the 2560 by 1440 display in the panel's own space (y down from its top).
    static Rect inPanel(const Rect& r) {
        return Rect(r.minX() - 820, 1440 - r.maxY(), r.width(), r.height());
    }
    std::vector<Rect> closedShape() { return {inPanel(island->closedArea())}; }
};

TEST_F(NotchWindowControllerTest, ThePanelHangsFromTheTopCentreAndTakesThePointerOnlyOverTheOpenIsland) {
    make();
    EXPECT_EQ(panel().frame(), Rect(1280 - 460, 1440 - 340, 920, 340));
    EXPECT_TRUE(panel().visible);
    EXPECT_EQ(island->islandRect(IslandMode::idle), Rect(1238, 1413, 84, 24));
    // Grown by 10 and 6 points, and up to the screen's top edge; in the panel's own space.
    EXPECT_EQ(island->closedArea(), Rect(1228, 1407, 104, 39));
    // Closed, the panel takes no click at all: what lies under it (the desktop's top bar) gets
    // them, and the pointer monitor tells the island where the pointer is.
    EXPECT_TRUE(panel().inputAreas.empty());

    // A HUD widens the area that reacts to the pointer, not the panel's.
    hud.show(HUDContent::volume(0.5f, false), 2);
    fake.time.runPending();
    EXPECT_EQ(island->closedArea().width(), 84 + 157 + 20);
    EXPECT_TRUE(panel().inputAreas.empty());

    move(onIsland());
    ASSERT_EQ(panel().inputAreas.size(), 1u);
    const Rect open = island->openArea();
    EXPECT_EQ(open, island->islandRect(IslandMode::expanded).insetBy(-18, -18));
    EXPECT_EQ(panel().inputAreas[0], inPanel(open));

    // The output menu hangs below the island's right end.
    island->state().outputMenuOpen = true;
    EXPECT_EQ(island->openArea().minY(), open.minY() - 130);
    EXPECT_EQ(island->openArea().maxX(), open.maxX() - 60 + 260);
}

TEST_F(NotchWindowControllerTest, BelowADesktopBarTheIslandAndWhereThePointerCountsHangFromTheBar) {
    // A 32-point bar along the top edge (GNOME's), on the 2560 by 1440 display.
    auto screen = fakes::FakeScreens::externalDisplay(0);
    screen.safeAreaInsets.top = 32;
    fake.pointerMonitor.everywhere = false;
    make(screen);
    // The panel still starts at the screen's top edge and keeps its whole height below the bar.
    EXPECT_EQ(panel().frame(), Rect(1280 - 460, 1440 - 372, 920, 372));
    // The pill 3 points below the bar; the closed area reaches up to the bar, not over the
    // bar's own controls.
    EXPECT_EQ(island->islandRect(IslandMode::idle), Rect(1238, 1440 - 35 - 24, 84, 24));
    EXPECT_EQ(island->closedArea(), Rect(1228, 1440 - 35 - 30, 104, 33));
    // The closed area takes the pointer, in the panel's own space (y down from its top): from
    // the bar's lower edge.
    EXPECT_EQ(panel().inputAreas, std::vector{Rect(1228 - 820, 32, 104, 33)});

    // The pointer on the pill, not on the bar above it, opens it; the open island hangs from
    // the same place.
    move({1280, 1440 - 20});
    EXPECT_FALSE(expanded());
    move({1280, 1440 - 40});
    EXPECT_TRUE(expanded());
    EXPECT_EQ(island->islandRect(IslandMode::expanded).maxY(), 1440 - 35);
    EXPECT_EQ(island->openArea().maxY(), 1440 - 32);
    EXPECT_EQ(island->openArea().minY(), island->islandRect(IslandMode::expanded).minY() - 18);
    // The pointer gone up onto the bar has left the island.
    move({1280, 1440 - 20});
    fake.time.advance(NotchWindowController::collapseDelay);
    EXPECT_FALSE(expanded());
}

// The panel's window covers what the island shows and where it takes the pointer, and no more:
// in a Wayland session the compositor gives it every pointer event over it. It grows before a
// HUD's or an opening's spring starts, keeps its size while a closing spring runs, shrinks once
// it has ended, and never covers the desktop's bar.
TEST_F(NotchWindowControllerTest, ThePanelsWindowCoversWhatTheIslandShowsAndWhereItTakesThePointer) {
    fake.panelWindows.renderWith = &fonts;
    fake.pointerMonitor.everywhere = false;
    auto screen = fakes::FakeScreens::externalDisplay(0);
    screen.safeAreaInsets.top = 32;  // GNOME's bar
    make(screen);
    const auto holds = [](const Rect& outer, const Rect& inner) {
        return inner.minX() >= outer.minX() && inner.maxX() <= outer.maxX() && inner.minY() >= outer.minY() &&
               inner.maxY() <= outer.maxY();
    };
    const auto window = [&] { return panel().windowExtent(); };
    const auto frame = [&] { fake.time.advance(1.0 / 60); };
    const auto settle = [&] { fake.time.advance(3); };
    // The pill, its shadow's reach (a radius of 6 spreads 12 points, 2 lower) and a point of
    // rounding: the most a window at rest may cover beyond the pill; the open island's shadow
    // (a radius of 20, 10 lower) spreads 33 points.
    const auto pillAndShadow = [&](IslandMode mode) {
        return inPanel(island->islandRect(mode)).insetBy(-13, -13).offsetBy(0, 2);
    };
    const auto openAndShadow = [&] {
        return inPanel(island->islandRect(IslandMode::expanded)).insetBy(-34, -34).offsetBy(0, 10);
    };
    EXPECT_EQ(panel().windowLimit, Rect(0, 32, 920, 340));

    struct Step {
        const char* what;
        std::function<void()> act;
        // What the window holds from the change's first frame, and at most once it settled.
        std::function<Rect()> grownTo;
        std::function<Rect()> settledWithin;
    };
    const Step steps[] = {
        {"at rest", [] {}, [&] { return inPanel(island->islandRect(IslandMode::idle)); },
         [&] { return pillAndShadow(IslandMode::idle); }},
        {"a volume HUD", [&] { hud.show(HUDContent::volume(0.5f, false), 2); },
         [&] { return inPanel(island->islandRect(IslandMode::volume)); },
         [&] { return pillAndShadow(IslandMode::idle); }},
        {"opened",
         [&] {
             const Rect pill = island->islandRect(IslandMode::idle);
             move({pill.midX(), pill.midY()});
             ASSERT_TRUE(expanded());
         },
         [&] { return inPanel(island->openArea()); }, openAndShadow},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        fake.time.runPending();
        EXPECT_TRUE(holds(window(), step.grownTo())) << "the window did not grow before the spring";
        settle();
        EXPECT_TRUE(holds(step.settledWithin(), window())) << "the window stayed larger than what it shows";
        EXPECT_GE(window().minY(), 32) << "the window covers the bar";
    }

    // Closing: the window keeps its size while the spring runs, and shrinks once it has ended.
    const Rect open = window();
    move(away());
    fake.time.advance(NotchWindowController::collapseDelay);
    ASSERT_FALSE(expanded());
    frame();
    EXPECT_EQ(window(), open) << "the window shrank while the closing spring ran";
    settle();
    EXPECT_TRUE(holds(pillAndShadow(IslandMode::idle), window()));
    EXPECT_TRUE(holds(window(), inPanel(island->islandRect(IslandMode::idle))));
}

// Each change of the panel's window costs the window system a new picture of it: an opening, a
// closing, a HUD and its going change it once at most, never a frame of their springs; and
// once the island looks as it will at rest, the window holds no more than it will then.
TEST_F(NotchWindowControllerTest,
       ThePanelsWindowChangesTwiceASpringAtMostAndShrinksOnceTheIslandLooksSettled) {
    fake.panelWindows.renderWith = &fonts;
    fake.pointerMonitor.everywhere = false;
    make();
    ui::ViewGraph& graph = panel().host()->graph();
    // Every edge of what is shown within half a point of where it ends.
    const auto looksSettled = [&] {
        const Rect shown = graph.shown().visualBounds(), end = graph.displayList().visualBounds();
        return std::max({std::abs(shown.minX() - end.minX()), std::abs(shown.maxX() - end.maxX()),
                         std::abs(shown.minY() - end.minY()), std::abs(shown.maxY() - end.maxY())}) < 0.5;
    };
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"opening", [&] { move(onIsland()); }},
        {"closing", [&] { move(away()), fake.time.advance(NotchWindowController::collapseDelay); }},
        {"a volume HUD", [&] { hud.show(HUDContent::volume(0.5f, false), 1.5); }},
        {"the HUD going", [] {}},
    };
    for (const auto& [what, act] : changes) {
        SCOPED_TRACE(what);
        const int before = panel().windowChanges;
        act();
        fake.time.runPending();
        // Frame by frame until the springs are over (and the HUD, once it is shown, has gone).
        const auto hudShown = [&] { return hud.current.get().has_value(); };
        const bool waitsForTheHud = hudShown() && !graph.isAnimating();
        std::optional<Rect> whenSettled;
        for (int frame = 0; frame < 600 && (graph.isAnimating() || (waitsForTheHud && hudShown())); ++frame) {
            fake.time.advance(1.0 / 60);
            if (!whenSettled && looksSettled() && graph.isAnimating()) whenSettled = panel().windowExtent();
        }
        ASSERT_TRUE(whenSettled) << "the island never looked settled while its spring ran";
        EXPECT_EQ(panel().windowExtent(), *whenSettled)
            << "the window changed after the island looked settled";
        EXPECT_LE(panel().windowChanges - before, 1);
    }
}

TEST_F(NotchWindowControllerTest, WhereOnlyItsOwnWindowsSeeThePointerTheClosedIslandTakesItOverItsShape) {
    fake.pointerMonitor.everywhere = false;
    make();
    EXPECT_EQ(panel().inputAreas, std::vector{inPanel(Rect(1228, 1407, 104, 39))});

    // The shape follows what the closed island shows.
    hud.show(HUDContent::volume(0.5f, false), 2);
    fake.time.runPending();
    EXPECT_EQ(panel().inputAreas, closedShape());
    EXPECT_EQ(panel().inputAreas[0].width(), 84 + 157 + 20);

    // Open, the open area; the pointer gone from the island's window closes it.
    move(onIsland());
    EXPECT_EQ(panel().inputAreas, std::vector{inPanel(island->openArea())});
    move(platform::PointerMonitor::nowhere);
    fake.time.advance(NotchWindowController::collapseDelay);
    EXPECT_FALSE(expanded());
    EXPECT_EQ(panel().inputAreas, closedShape());
}

// The closed island takes the pointer over the closed area where a click or a wheel on it is
// the island's (click mode), and where the pointer monitor tells of moves only over its own
// windows (X11, a Wayland session): there the pointer's arrival must reach the island's
// window. Opened by hovering where every move is told, it lets every click through to what
// lies under it. The monitor follows every move while the island is open, and none while it is
// closed: a pointer far from the closed island costs nothing.
TEST_F(NotchWindowControllerTest, TheClosedIslandTakesThePointerWhereItsClicksAreItsOwn) {
    const struct {
        const char* what;
        bool everywhere;
        bool everyMove;
        IslandOpenMode mode;
        bool takes;
    } rows[] = {
        {"every move told, hover", true, true, IslandOpenMode::hover, false},
        {"every move told, click", true, true, IslandOpenMode::click, true},
        {"X11, hover", true, false, IslandOpenMode::hover, true},
        {"X11, click", true, false, IslandOpenMode::click, true},
        {"Wayland, hover", false, true, IslandOpenMode::hover, true},
        {"Wayland, click", false, true, IslandOpenMode::click, true},
    };
    auto& monitor = fake.pointerMonitor;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        monitor.everywhere = row.everywhere;
        monitor.everyMove = row.everyMove;
        settings.openMode = row.mode;
        make();
        EXPECT_EQ(panel().inputAreas, row.takes ? closedShape() : std::vector<Rect>{});
        // Its shape follows what the closed island shows, and the pointer hovering it.
        hud.show(HUDContent::volume(0.5f, false), 2);
        fake.time.runPending();
        EXPECT_EQ(panel().inputAreas, row.takes ? closedShape() : std::vector<Rect>{});
        move(onIsland());
        fake.time.runPending();
        if (row.mode == IslandOpenMode::click) {
            ASSERT_TRUE(island->state().hovering.get());
            EXPECT_EQ(panel().inputAreas, closedShape());
            EXPECT_EQ(monitor.followers(), 0) << "moves are followed over the closed island";
            mouse(PointerEventType::leftMouseDown, onIsland());
        }
        ASSERT_TRUE(expanded());
        EXPECT_EQ(monitor.followers(), 1) << "the open island does not follow every move";
        move(away());
        fake.time.advance(NotchWindowController::collapseDelay);
        ASSERT_FALSE(expanded());
        EXPECT_EQ(monitor.followers(), 0) << "moves are still followed once the island closed";
        fake.time.advance(3);
        island.reset();
    }
    // The open mode changed on a running island takes effect at once.
    fake.pointerMonitor.everywhere = true;
    fake.pointerMonitor.everyMove = true;
    settings.openMode = IslandOpenMode::hover;
    make();
    settings.openMode = IslandOpenMode::click;
    fake.time.runPending();
    EXPECT_EQ(panel().inputAreas, closedShape());
}

// What the closed area adds under a pointer resting there since before (a HUD growing beside
// the pill, the island showing under it) leaves that pointer's clicks to the window under it
// until the pointer moves: then all of the area is the island's, and the move opens it.
TEST_F(NotchWindowControllerTest, WhatAHudAddsUnderARestingPointerDoesNotTakeItsClicks) {
    auto& monitor = fake.pointerMonitor;
    monitor.everyMove = false;
    const Point beside{1280 + 100, 1430};
    for (const Point resting : {beside, onIsland()}) {
        monitor.location = resting;
        make();
        const bool onThePill = resting == onIsland();
        EXPECT_EQ(panel().inputAreas, onThePill ? std::vector<Rect>{} : closedShape())
            << "the island showing under the pointer took it";
        hud.show(HUDContent::volume(0.5f, false), 2);
        fake.time.runPending();
        ASSERT_TRUE(island->closedArea().contains(beside));
        EXPECT_EQ(panel().inputAreas,
                  onThePill ? std::vector<Rect>{} : std::vector{inPanel(Rect(1228, 1407, 104, 39))})
            << "the HUD took the resting pointer";
        EXPECT_EQ(monitor.followers(), 1) << "the resting pointer's first move would go unheard";
        mouse(PointerEventType::leftMouseDown, resting);
        EXPECT_EQ(monitor.followers(), 1) << "a press is no move";
        move({resting.x + 1, resting.y});
        EXPECT_TRUE(expanded());
        monitor.location = away();
        move(away());
        fake.time.advance(NotchWindowController::collapseDelay);
        EXPECT_EQ(panel().inputAreas, closedShape()) << "once the pointer moved";
        EXPECT_EQ(monitor.followers(), 0);
        fake.time.advance(3);
        island.reset();
    }
}

// A menu the open island's views opened is part of the island while open: the pointer on it
// keeps the island open, and the island closing takes the menu with it.
TEST_F(NotchWindowControllerTest, AMenuOfTheOpenIslandKeepsItOpenAndClosesWithIt) {
    make();
    move(onIsland());
    ASSERT_TRUE(expanded());
    const Rect open = island->openArea();
    // A tray item's menu, hanging below the open island.
    panel().openMenu = Rect(open.midX(), open.minY() - 200, 180, 220);
    move({open.midX() + 90, open.minY() - 150});
    fake.time.advance(1);
    EXPECT_TRUE(expanded()) << "the pointer on the island's menu closed the island";
    move(away());
    fake.time.advance(NotchWindowController::collapseDelay);
    EXPECT_FALSE(expanded());
    EXPECT_FALSE(panel().openMenu) << "the menu stayed on the desktop after the island closed";
}

TEST_F(NotchWindowControllerTest, TheOpenAreaHoldsTheOutputMenuWhereItsButtonPutsIt) {
    // The wide player: its output button ends a 200-point column, far left of the island's
    // end; seven outputs make a menu that reaches down to the panel's bottom.
    settings.islandWidth = 600;
    play();
    attachOutput();
    for (std::uint32_t id = 2; id <= 7; ++id) fake.audio.add(id, {.name = "Salida " + std::to_string(id)});
    make();
    move(onIsland());
    ui::ViewHost host(fonts, *panel().content, NotchWindowController::panelSize, panel().environment);
    host.render();
    island->state().outputMenuOpen = true;
    fake.time.runPending();

    const auto menu = island->state().outputMenuFrame.get();
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(menu->size, (Size{300, IslandRootView::outputMenuHeight(7)}));
    const Rect panelFrame = panel().frame();
    const Rect onScreen(panelFrame.minX() + menu->minX(), panelFrame.maxY() - menu->maxY(), menu->width(),
                        menu->height());
    const Rect open = island->openArea();
    const Rect expanded = island->islandRect(IslandMode::expanded);
    // Its lower rows lie beyond the room kept below the island's right end.
    EXPECT_LT(onScreen.minY(), expanded.minY() - 18 - 130);
    for (const Point corner :
         {Point{onScreen.minX(), onScreen.minY()}, Point{onScreen.maxX() - 1, onScreen.minY()}})
        EXPECT_TRUE(open.contains(corner)) << corner.x << ", " << corner.y;
    // The window takes the pointer there too.
    ASSERT_EQ(panel().inputAreas.size(), 1u);
    EXPECT_TRUE(panel().inputAreas[0].contains({menu->minX() + 1, menu->maxY() - 1}));

    island->state().outputMenuOpen = false;
    fake.time.runPending();
    EXPECT_EQ(island->openArea(), expanded.insetBy(-18, -18));
}

TEST_F(NotchWindowControllerTest, HoverModeOpensOnAPlainMoveOnly) {
    make();
    mouse(PointerEventType::leftMouseDown, onIsland());
    mouse(PointerEventType::leftMouseDragged, onIsland());
    EXPECT_FALSE(expanded());
    EXPECT_TRUE(fake.haptics.performed.empty());

    move(onIsland());
    EXPECT_TRUE(expanded());
    EXPECT_EQ(fake.haptics.performed, std::vector{HapticPattern::levelChange});

    settings.hapticFeedback = false;
    island->state().expanded = false;
    move(onIsland());
    EXPECT_EQ(fake.haptics.performed.size(), 1u);
}

TEST_F(NotchWindowControllerTest, ClickModeHoversOnEntryAndOpensOnAClick) {
    settings.openMode = IslandOpenMode::click;
    make();
    move(onIsland());
    EXPECT_FALSE(expanded());
    EXPECT_TRUE(island->state().hovering.get());
    EXPECT_EQ(fake.haptics.performed, std::vector{HapticPattern::alignment});
    // The hovered island is 14 by 3 points larger, so leaving takes a little further.
    EXPECT_EQ(island->closedArea().width(), 104 + 14);
    move({1280 + 58, 1425});
    EXPECT_TRUE(island->state().hovering.get());
    move(away());
    EXPECT_FALSE(island->state().hovering.get());

    mouse(PointerEventType::leftMouseDown, onIsland());
    EXPECT_TRUE(expanded());
    EXPECT_FALSE(island->state().hovering.get());
}

TEST_F(NotchWindowControllerTest, AFileDraggedOntoTheNotchOpensTheTrayOnlyWithBothSettings) {
    for (const auto mode : {IslandOpenMode::hover, IslandOpenMode::click}) {
        settings.openMode = mode;
        make();
        mouse(PointerEventType::leftMouseDragged, onIsland(), true);
        EXPECT_TRUE(expanded());
        EXPECT_EQ(island->state().tab.get(), IslandTab::tray);
    }

    settings.openMode = IslandOpenMode::hover;
    settings.openTrayOnDrag = false;
    make();
    mouse(PointerEventType::leftMouseDragged, onIsland(), true);
    EXPECT_FALSE(expanded());

    settings.openTrayOnDrag = true;
    settings.trayEnabled = false;
    make();
    mouse(PointerEventType::leftMouseDragged, onIsland(), true);
    EXPECT_FALSE(expanded());

    // A file dragged in from outside switches the open island to the tray.
    settings.trayEnabled = true;
    make();
    move(onIsland());
    mouse(PointerEventType::leftMouseDragged, onIsland(), true);
    EXPECT_EQ(island->state().tab.get(), IslandTab::tray);
}

TEST_F(NotchWindowControllerTest, LeavingClosesAfterTheDelayUnlessThePointerReturnsOrAPressHolds) {
    make();
    move(onIsland());
    move(away());
    fake.time.advance(0.1);
    move(onIsland());
    fake.time.advance(1);
    EXPECT_TRUE(expanded());

    // Pressed on the island and dragged out: open while the button is held.
    mouse(PointerEventType::leftMouseDown, onIsland());
    mouse(PointerEventType::leftMouseDragged, away());
    fake.time.advance(1);
    EXPECT_TRUE(expanded());
    mouse(PointerEventType::leftMouseUp, away());
    fake.time.advance(0.17);
    EXPECT_TRUE(expanded());
    fake.time.advance(0.02);
    EXPECT_FALSE(expanded());
    // Closed, the panel lets every click through again.
    EXPECT_TRUE(panel().inputAreas.empty());
}

TEST_F(NotchWindowControllerTest, AClosingThatOvertakesADelayedCollapseCancelsIt) {
    settings.hideInFullscreen = true;
    make();
    move(onIsland());
    move(away());  // a collapse is due in 0.18 s
    ASSERT_TRUE(island->hasPendingCollapse());

    // A full-screen window closes the island at once and goes again.
    fake.windowServer.frontmost = platform::RunningApplication{std::string("org.videolan.vlc"), 77};
    fake.windowServer.windows = {{{77, 0, Rect(0, 0, 2560, 1440)}}};
    island->updateFullscreenVisibility();
    EXPECT_FALSE(expanded());
    fake.windowServer.frontmost.reset();
    island->updateFullscreenVisibility();

    // Opened again within the delay: the stale collapse must not close it.
    fake.time.advance(0.05);
    move(onIsland());
    fake.time.advance(0.5);
    EXPECT_TRUE(expanded());
}

TEST_F(NotchWindowControllerTest, ScrollsOverTheClosedIslandStepTheVolume) {
    attachOutput();
    make();
    // The output has not answered any of them yet: each goes on from the level the last one set.
    scroll(trackpad(0, 10), onIsland());
    EXPECT_NEAR(writtenVolume(), 0.535, 1e-6);
    scroll(wheel(1.0), onIsland());
    EXPECT_NEAR(writtenVolume(), 0.575, 1e-6);
    scroll(wheel(-1.0), onIsland());
    EXPECT_NEAR(writtenVolume(), 0.535, 1e-6);
    scroll(trackpad(0, -10), onIsland());
    EXPECT_NEAR(writtenVolume(), 0.5, 1e-6);

    const auto writes = fake.audio.writes.size();
    scroll(wheel(1), away());
    scroll(wheel(0), onIsland());
    settings.scrollForVolume = false;
    scroll(wheel(1), onIsland());
    EXPECT_EQ(fake.audio.writes.size(), writes);
}

TEST_F(NotchWindowControllerTest, AHorizontalSwipeChangesTheTrackOncePerGesture) {
    attachOutput();
    play();
    make();
    scroll(trackpad(-20, 0, ScrollPhase::began), onIsland());
    scroll(trackpad(-20, 0), onIsland());
    EXPECT_EQ(sent("next track"), 0);
    scroll(trackpad(-10, 0), onIsland());  // past 45 points
    scroll(trackpad(-40, 0), onIsland());
    scroll(
        platform::ScrollDetail{
            .deltaX = -30, .hasPreciseScrollingDeltas = true, .momentumPhase = ScrollPhase::changed},
        onIsland());
    EXPECT_EQ(sent("next track"), 1);
    EXPECT_EQ(island->state().trackSwipe.get(), 1);
    EXPECT_EQ(island->state().trackSwipeCount.get(), 1);
    EXPECT_EQ(fake.haptics.performed, std::vector{HapticPattern::alignment});
    // Neither the swipe nor its coasting touched the volume.
    EXPECT_EQ(writtenVolume(), -1);

    // Naturally scrolling, a rightward delta is the next track too; leftward the previous one.
    auto natural = trackpad(50, 0, ScrollPhase::began);
    natural.isDirectionInvertedFromDevice = true;
    scroll(natural, onIsland());
    EXPECT_EQ(sent("next track"), 2);
    scroll(trackpad(50, 0, ScrollPhase::began), onIsland());
    EXPECT_EQ(sent("previous track"), 1);
    EXPECT_EQ(island->state().trackSwipe.get(), -1);
    EXPECT_EQ(island->state().trackSwipeCount.get(), 3);
}

TEST_F(NotchWindowControllerTest, AScrollThatIsNotClearlySidewaysLocksVerticalForTheWholeGesture) {
    attachOutput();
    play();
    make();
    scroll(trackpad(1.2, 1.0, ScrollPhase::began), onIsland());  // 1.2 is not more than 1.2 × 1.0
    EXPECT_NEAR(writtenVolume(), 0.5035, 1e-6);
    scroll(trackpad(-60, 1.0), onIsland());
    EXPECT_EQ(sent("next track"), 0);
    EXPECT_NEAR(writtenVolume(), 0.507, 1e-6);  // a second step, on from the first

    // With nothing playing a sideways swipe is a scroll like any other.
    nowPlaying.track = std::nullopt;
    const auto writes = fake.audio.writes.size();
    scroll(trackpad(-50, 0, ScrollPhase::began), onIsland());
    EXPECT_EQ(fake.audio.writes.size(), writes);
    scroll(trackpad(-50, 4, ScrollPhase::began), onIsland());
    EXPECT_EQ(fake.audio.writes.size(), writes + 1);
}

TEST_F(NotchWindowControllerTest, PageSwipesTurnOnePageWithoutWrappingAround) {
    make();
    move(onIsland());
    const Point inside = island->openScrollArea().insetBy(10, 10).origin;
    scroll(trackpad(-40, 0, ScrollPhase::began), inside);
    EXPECT_EQ(island->state().tab.get(), IslandTab::music);
    scroll(trackpad(-1, 0), inside);
    scroll(trackpad(-30, 0), inside);
    EXPECT_EQ(island->state().tab.get(), IslandTab::weather);
    scroll(trackpad(0, 0, ScrollPhase::ended), inside);

    // Backwards from the first page, forwards from the last: nothing.
    island->state().tab = IslandTab::music;
    scroll(trackpad(45, 0, ScrollPhase::began), inside);
    EXPECT_EQ(island->state().tab.get(), IslandTab::music);
    island->state().tab = IslandTab::timer;
    scroll(trackpad(-45, 0, ScrollPhase::began), inside);
    EXPECT_EQ(island->state().tab.get(), IslandTab::timer);

    // A page switched off counts as the first page, where the island draws it.
    island->state().tab = IslandTab::weather;
    settings.weatherEnabled = false;
    scroll(trackpad(-45, 0, ScrollPhase::began), inside);
    EXPECT_EQ(island->state().tab.get(), IslandTab::tray);
}

// Scrolls as X11 reports them: bare deltas, shaped into gestures by their pauses.
class GestureScrollTest : public NotchWindowControllerTest {
protected:
    Point at;
    platform::ScrollGesture gesture{[this](const platform::ScrollDetail& s) { scroll(s, at); }};

    // Quick scrolls of (dx, dy) each, lines of a wheel unless `precise`, then a pause.
    void burst(int count, double dx, double dy, bool precise) {
        for (int i = 0; i < count; ++i) {
            gesture.scroll(dx, dy, precise, false);
            fake.time.advance(0.01);
        }
        fake.time.advance(0.5);
    }
};

TEST_F(GestureScrollTest, WheelClicksAndSmoothScrollsSeparatedByPausesEachTurnOnePage) {
    struct Case {
        const char* name;
        int count;
        double delta;
        bool precise;
    };
    const Case cases[] = {
        {"one tilt of the wheel", 1, 1, false},
        {"three quick tilts", 3, 1, false},
        {"a smooth wheel's quarter lines", 4, 0.25, false},
        {"a trackpad's swipe", 8, 8, true},
    };
    make();
    move(onIsland());
    at = island->openScrollArea().insetBy(10, 10).origin;
    for (const Case& c : cases) {
        island->state().tab = IslandTab::music;
        // Leftward deltas lead forward, rightward back, one page per burst.
        for (const IslandTab expected : {IslandTab::weather, IslandTab::tray}) {
            burst(c.count, -c.delta, 0, c.precise);
            EXPECT_EQ(island->state().tab.get(), expected) << c.name;
        }
        for (const IslandTab expected : {IslandTab::weather, IslandTab::music}) {
            burst(c.count, c.delta, 0, c.precise);
            EXPECT_EQ(island->state().tab.get(), expected) << c.name;
        }
    }
}

TEST_F(GestureScrollTest, AVerticalScrollAfterASidewaysSwipeOverTheClosedIslandChangesTheVolume) {
    attachOutput();
    play();
    make();
    at = onIsland();
    struct Case {
        const char* name;
        int count;
        double delta;
        bool precise;
        double volumeStep;
        // A wheel always changes the volume: a sideways tilt by accident skips no song.
        bool changesTrack;
    };
    const Case cases[] = {
        {"wheel", 2, 1, false, 0.04, false},
        {"trackpad", 6, 10, true, 0.035, true},
    };
    int tracks = 0;
    for (const Case& c : cases) {
        burst(c.count, -c.delta, 0, c.precise);
        if (c.changesTrack) ++tracks;
        EXPECT_EQ(sent("next track"), tracks) << c.name;
        EXPECT_EQ(sent("previous track"), 0) << c.name;
        EXPECT_EQ(writtenVolume(), -1) << c.name << ": the sideways scroll touched the volume";
        // Each click or point of the scroll steps the volume, as without the swipe before it.
        burst(1, 0, c.delta, c.precise);
        EXPECT_NEAR(writtenVolume(), 0.5 + c.volumeStep, 1e-6) << c.name;
        fake.audio.writes.clear();
        // Another program puts the output back at half: each case starts from there.
        fake.audio.device(1).volume = 0.5f;
        fake.audio.fire(1, platform::AudioProperty::volume);
    }

    // With page swipes off, a tilt on the open music page changes no track either.
    settings.swipeBetweenPages = false;
    move(onIsland());
    at = island->openScrollArea().insetBy(10, 10).origin;
    burst(2, -1, 0, false);
    EXPECT_EQ(sent("next track"), tracks);
}

TEST_F(NotchWindowControllerTest, WithPageSwipesOffASwipeOnTheMusicPageChangesTheTrack) {
    settings.swipeBetweenPages = false;
    play();
    make();
    move(onIsland());
    const Point inside = island->openScrollArea().insetBy(10, 10).origin;
    scroll(trackpad(-50, 0, ScrollPhase::began), inside);
    EXPECT_EQ(sent("next track"), 1);
    island->state().tab = IslandTab::weather;
    scroll(trackpad(-50, 0, ScrollPhase::began), inside);
    EXPECT_EQ(sent("next track"), 1);
    EXPECT_EQ(island->state().tab.get(), IslandTab::weather);
}

TEST_F(NotchWindowControllerTest, PeekAndSizePreviewCloseAfterTheirTimeUnlessThePointerIsOver) {
    make();
    island->peek(IslandTab::tray);
    EXPECT_TRUE(expanded());
    EXPECT_EQ(island->state().tab.get(), IslandTab::tray);
    EXPECT_EQ(fake.haptics.performed, std::vector{HapticPattern::levelChange});
    fake.time.advance(4);
    // Peeking again while open switches the page, silently, and restarts the wait.
    island->peek(IslandTab::calendar);
    EXPECT_EQ(island->state().tab.get(), IslandTab::calendar);
    EXPECT_EQ(fake.haptics.performed.size(), 1u);
    fake.time.advance(4.9);
    EXPECT_TRUE(expanded());
    fake.time.advance(0.2);
    EXPECT_FALSE(expanded());

    fake.pointerMonitor.location = onIsland();
    island->previewSize();
    EXPECT_EQ(fake.haptics.performed.size(), 1u);
    fake.time.advance(2);
    EXPECT_TRUE(expanded());

    // The tray switched off: peeking it opens the music page.
    settings.trayEnabled = false;
    make();
    island->peek(IslandTab::tray);
    EXPECT_EQ(island->state().tab.get(), IslandTab::music);
}

TEST_F(NotchWindowControllerTest, APinnedIslandNeverClosesByItselfButAFullScreenWindowStillCloses) {
    settings.hideInFullscreen = true;
    platform::UserDefaults::standard().setBool("previewOutputs", true);
    make();
    island->pinOpen(IslandTab::calendar);
    EXPECT_TRUE(island->isPinned());
    move(away());
    fake.time.advance(10);
    EXPECT_TRUE(expanded());
    EXPECT_TRUE(island->state().outputMenuOpen.get());

    fake.windowServer.frontmost = platform::RunningApplication{std::string("org.videolan.vlc"), 77};
    fake.windowServer.windows = {{{77, 0, Rect(0, 0, 2560, 1440)}}};
    island->updateFullscreenVisibility();
    EXPECT_FALSE(expanded());
    EXPECT_FALSE(island->state().outputMenuOpen.get());
}

TEST_F(NotchWindowControllerTest, AFullScreenWindowFadesTheIslandOutAndSilencesThePointer) {
    settings.hideInFullscreen = true;
    attachOutput();
    make();
    fake.windowServer.frontmost = platform::RunningApplication{std::string("org.videolan.vlc"), 77};
    fake.windowServer.windows = {{{12, 0, Rect(0, 0, 2560, 1440)}, {77, 3, Rect(0, 0, 2560, 1440)}}};
    island->updateFullscreenVisibility();
    EXPECT_FALSE(island->isHiddenForFullscreen());  // another owner's window, a floating one

    fake.windowServer.windows->push_back({77, 0, Rect(1.5, -1.5, 2558.5, 1441.5)});
    island->updateFullscreenVisibility();
    EXPECT_TRUE(island->isHiddenForFullscreen());
    EXPECT_EQ(panel().alphaValue, 0);
    EXPECT_TRUE(panel().inputAreas.empty());
    move(onIsland());
    scroll(wheel(1), onIsland());
    EXPECT_FALSE(expanded());
    EXPECT_EQ(writtenVolume(), -1);

    // Switching the setting off brings it back.
    settings.hideInFullscreen = false;
    island->applySettings();
    EXPECT_FALSE(island->isHiddenForFullscreen());
    EXPECT_EQ(panel().alphaValue, 1);
}

TEST_F(NotchWindowControllerTest, TheFullScreenCheckToleratesLessThanTwoPoints) {
    const Rect screen(0, 0, 2560, 1440);
    fake.screens.list = {fakes::FakeScreens::externalDisplay(0)};
    fake.windowServer.frontmost = platform::RunningApplication{std::string("org.videolan.vlc"), 77};
    const auto fullscreenWith = [&](Rect bounds) {
        fake.windowServer.windows = {{{77, 0, bounds}}};
        return NotchWindowController::frontmostIsFullscreen(screen, fake.platform());
    };
    EXPECT_TRUE(fullscreenWith(Rect(0, 0, 2560 - 1.5, 1440)));
    EXPECT_FALSE(fullscreenWith(Rect(0, 0, 2560 - 2, 1440)));
    EXPECT_FALSE(fullscreenWith(Rect(0, 2, 2560, 1440)));

    // A second screen above the primary one: its window-system y is negative.
    fake.windowServer.windows = {{{77, 0, Rect(0, -1080, 1920, 1080)}}};
    EXPECT_TRUE(NotchWindowController::frontmostIsFullscreen(Rect(0, 1440, 1920, 1080), fake.platform()));

    // This application itself in front never counts, nor does an unreadable window list.
    fake.windowServer.frontmost = fake.windowServer.self;
    EXPECT_FALSE(fullscreenWith(screen));
    fake.windowServer.frontmost = platform::RunningApplication{std::string("org.videolan.vlc"), 77};
    fake.windowServer.windows.reset();
    EXPECT_FALSE(NotchWindowController::frontmostIsFullscreen(screen, fake.platform()));
}

TEST_F(NotchWindowControllerTest, HidingFromScreenshotsAppliesToTheExistingPanel) {
    make();
    EXPECT_FALSE(panel().excludedFromCapture);
    settings.hideInScreenshots = true;
    island->applySettings();
    EXPECT_TRUE(panel().excludedFromCapture);
}

}  // namespace
}  // namespace quorlix
