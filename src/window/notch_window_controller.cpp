#include "window/notch_window_controller.h"

#include "foundation/app_settings.h"
#include "island/island_layout.h"
#include "island/island_root_view.h"
#include "island/live_preview.h"
#include "platform/main_queue.h"
#include "platform/user_defaults.h"
#include "services/agent_service.h"
#include "services/calendar_service.h"
#include "services/hud_center.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "ui/environment.h"

#include <algorithm>
#include <initializer_list>

namespace quorlix {

namespace {

constexpr double outputMenuDelay = 0.6;
// Of the full-screen check: a window this close to the screen's frame on every edge fills it.
constexpr double fullscreenTolerance = 2.0;

// How much of a screen's top inset a desktop's bar takes: all of it on a screen without a
// camera housing, where nothing else makes one.
double barHeight(const platform::Screen& screen) {
    if (screen.auxiliaryTopLeftArea && screen.auxiliaryTopRightArea) return 0;
    const double top = screen.safeAreaInsets.top;
    return top > 0 ? top : 0;  // NaN counts as none
}

}  // namespace

NotchWindowController::NotchWindowController(const platform::Screen& screen, IslandServices services,
                                             const platform::Platform& platform)
    : services_(services), platform_(platform), geometry_(screen), barHeight_(barHeight(screen)) {
    // The panel's top edge is the screen's, centred on the notch; below a desktop's bar it
    // keeps its whole height for the island.
    const double height = panelSize.height + barHeight_;
    const Rect frame(geometry_.centerX - panelSize.width / 2, geometry_.screenFrame.maxY() - height,
                     panelSize.width, height);
    panel_ = platform_.panelWindows->makePanel(frame);
    // Nothing of the island is drawn on the bar, nor takes the pointer from its controls.
    panel_->setWindowLimit(Rect(0, barHeight_, panelSize.width, panelSize.height));
    setContent();
    panel_->setFrame(frame);
    panel_->orderFront();

    const auto schedule = [this] { scheduleInputAreaUpdate(); };
    // What the open island's size and its output menu follow, and what the closed island's
    // shape follows where it takes the pointer itself.
    for (ObservableObject* source : std::initializer_list<ObservableObject*>{
             &state_, &services_.settings, &LivePreview::shared(), &services_.hud, &services_.agents,
             &services_.timer, &services_.nowPlaying})
        subscriptions_.push_back(source->objectWillChange.connect(schedule));
    updateInputAreas();

    applySettings();
}

NotchWindowController::~NotchWindowController() = default;

void NotchWindowController::setContent() { panel_->setContent(islandTree(state_, geometry_, services_), {}); }

void NotchWindowController::tearDown() {
    collapseWork_.cancel();
    previewWork_.cancel();
    outputMenuWork_.cancel();
    inputAreaWork_.cancel();
    panel_->orderOut();
    panel_->close();
}

// MARK: - Geometry

IslandModeSources NotchWindowController::modeSources() const {
    return {services_.hud, services_.agents, services_.timer, services_.nowPlaying.liveVisible.get()};
}

IslandMode NotchWindowController::collapsedMode() const { return collapsedIslandMode(modeSources()); }

Rect NotchWindowController::islandRect(IslandMode mode) const {
    const Size size = IslandLayout::size(mode, geometry_.notchSize, state_.hovering.get());
    return {geometry_.centerX - size.width / 2, geometry_.screenFrame.maxY() - geometry_.topGap - size.height,
            size.width, size.height};
}

Rect NotchWindowController::closedArea() const {
    Rect area = islandRect(collapsedMode()).insetBy(-10, -6);
    // Up to the screen's top edge, so the pointer pushed against it still counts; where a
    // desktop's bar lies there, up to the bar.
    area.size.height += geometry_.topGap;
    return belowBar(area);
}

Rect NotchWindowController::belowBar(Rect area) const {
    const double bar = geometry_.screenFrame.maxY() - barHeight_;
    if (barHeight_ > 0 && area.maxY() > bar) area.size.height = std::max(bar - area.minY(), 0.0);
    return area;
}

Rect NotchWindowController::openIslandArea() const {
    return belowBar(islandRect(IslandMode::expanded).insetBy(-18, -18));
}

Rect NotchWindowController::openArea() const {
    const Rect area = openPanelArea();
    // A menu the island's views opened is part of it while open, in a window of its own.
    if (const auto menu = panel_->openMenuFrame()) return area.united(*menu);
    return area;
}

Rect NotchWindowController::openPanelArea() const {
    const Rect area = openIslandArea();
    if (!state_.outputMenuOpen.get()) return area;
    // Room for the output menu hanging below the island's right end, and the menu itself
    // wherever its button put it (the wide player's button ends a column far from that end).
    Rect open = area.united(Rect(area.maxX() - 60, area.minY() - 130, 260, 150));
    if (const auto& menu = state_.outputMenuFrame.get()) {
        const Rect panel = panel_->frame();
        // From the panel's own space (y downward) to the screen's.
        open = open.united(
            Rect(panel.minX() + menu->minX(), panel.maxY() - menu->maxY(), menu->width(), menu->height()));
    }
    return open;
}

void NotchWindowController::scheduleInputAreaUpdate() {
    // Published values are stored after their subscribers hear of them: look once they are.
    if (inputAreaWork_.isPending()) return;
    inputAreaWork_ = platform::MainQueue::shared().async([this] { updateInputAreas(); });
}

bool NotchWindowController::takesPointerWhenClosed() const {
    // A click or a wheel notch on the pill is the island's, not also the window's under it.
    if (services_.settings.openMode.get() == IslandOpenMode::click) return true;
    return platform_.pointerMonitor && !platform_.pointerMonitor->tellsEveryMove();
}

void NotchWindowController::followMovesWhileOpen() {
    // Open, every move counts, wherever the pointer goes: leaving the island or its menu closes
    // it. Closed, only the closed area counts, which the panel takes where the monitor does
    // not tell of every move.
    const bool open = state_.expanded.get() && !hiddenForFullscreen_;
    if (!open)
        movesFollowed_.cancel();
    else if (!movesFollowed_.isActive() && platform_.pointerMonitor)
        movesFollowed_ = platform_.pointerMonitor->followMoves();
}

void NotchWindowController::updateInputAreas() {
    followMovesWhileOpen();
    std::vector<Rect> areas;
    const auto take = [&](const Rect& area) {
        const Rect panel = panel_->frame();
        // Into the panel's own space: from its top-left corner, y downward.
        areas.emplace_back(area.minX() - panel.minX(), panel.maxY() - area.maxY(), area.width(),
                           area.height());
    };
    // Closed and opened by hovering, the island takes no clicks where the pointer monitor tells
    // it of every move. Where the monitor tells of moves only over our own windows, or where a
    // click or a wheel on the pill is the island's, the closed area takes it, so that entering,
    // clicking and scrolling it reach the island's window and only it.
    const bool closedTakes = !hiddenForFullscreen_ && !state_.expanded.get() && takesPointerWhenClosed();
    if (closedTakes) {
        if (const Rect taken = closedAreaTaken(); !taken.isEmpty()) take(taken);
    } else {
        closedTaken_ = Rect();
        heldPointer_.reset();
        heldPointerFollowed_.cancel();
        if (!hiddenForFullscreen_ && state_.expanded.get()) take(openPanelArea());
    }
    // Unchanged areas (a running timer publishes every second) cost the window nothing.
    if (areas == inputAreas_) return;
    inputAreas_ = areas;
    panel_->setInputAreas(areas);
}

Rect NotchWindowController::closedAreaTaken() {
    const Rect area = closedArea();
    // Where the area grows (a HUD, a live activity, the island showing), the pointer may rest
    // in what it adds: a window taking it there would take the clicks meant for the window
    // under it, and tell an arrival that never was. Asked only then: a round trip to the server.
    if (!heldPointer_ && !closedTaken_.contains(area) && platform_.pointerMonitor) {
        const Point pointer = platform_.pointerMonitor->mouseLocation();
        if (area.contains(pointer) && !closedTaken_.contains(pointer)) {
            heldPointer_ = HeldPointer{pointer, closedTaken_};
            // Its first move, wherever it goes, gives the island the whole area.
            heldPointerFollowed_ = platform_.pointerMonitor->followMoves();
        }
    }
    if (heldPointer_ && area.contains(heldPointer_->at)) {
        closedTaken_ = area.intersected(heldPointer_->before);
    } else {
        heldPointer_.reset();
        heldPointerFollowed_.cancel();
        closedTaken_ = area;
    }
    return closedTaken_;
}

void NotchWindowController::pointerAt(Point point) {
    if (!heldPointer_ || point == heldPointer_->at) return;
    heldPointer_.reset();
    heldPointerFollowed_.cancel();
    closedTaken_ = closedArea();
    updateInputAreas();
}

// MARK: - Opening and closing

void NotchWindowController::expand(std::optional<IslandTab> tab, bool feedback) {
    collapseWork_.cancel();
    // A page whose feature is off cannot be shown: its place goes to the first one shown.
    if (tab) state_.tab = shownTab(*tab);
    if (state_.expanded.get()) return;
    if (feedback) haptic(platform::HapticPattern::levelChange);
    state_.hovering = false;
    state_.expanded = true;
    updateInputAreas();
    if (const auto& track = services_.nowPlaying.track.get())
        services_.nowPlaying.fetchPosition(track->source);
}

void NotchWindowController::collapse() {
    // Cancelled, not just forgotten: a stale delayed collapse would otherwise close an island
    // opened again within its delay.
    collapseWork_.cancel();
    pressStartedInside_ = false;
    state_.expanded = false;
    state_.outputMenuOpen = false;
    // A menu of the open island's views goes with it.
    panel_->closeMenus();
    updateInputAreas();
}

void NotchWindowController::scheduleCollapse() {
    if (collapseWork_.isPending() || pinned_) return;
    collapseWork_ = platform::MainQueue::shared().after(collapseDelay, [this] { collapse(); });
}

void NotchWindowController::scheduleCollapseCheck(double seconds) {
    previewWork_ = platform::MainQueue::shared().after(seconds, [this] {
        if (pinned_) return;
        const Point pointer = platform_.pointerMonitor->mouseLocation();
        if (!openIslandArea().contains(pointer)) collapse();
    });
}

void NotchWindowController::peek(IslandTab tab) {
    expand(tab, true);
    scheduleCollapseCheck(peekDuration);
}

void NotchWindowController::previewSize() {
    expand(std::nullopt, false);
    scheduleCollapseCheck(sizePreviewDuration);
}

void NotchWindowController::pinOpen(std::optional<IslandTab> tab) {
    expand(tab, true);
    pinned_ = true;
    if (platform::UserDefaults::standard().boolForKey("previewOutputs"))
        outputMenuWork_ =
            platform::MainQueue::shared().after(outputMenuDelay, [this] { state_.outputMenuOpen = true; });
}

void NotchWindowController::haptic(platform::HapticPattern pattern) {
    if (services_.settings.hapticFeedback.get() && platform_.haptics) platform_.haptics->perform(pattern);
}

// MARK: - Screenshots and full screen

void NotchWindowController::applySettings() {
    panel_->setExcludedFromCapture(services_.settings.hideInScreenshots.get());
    updateFullscreenVisibility();
}

void NotchWindowController::updateFullscreenVisibility() {
    if (services_.settings.hideInFullscreen.get()) {
        const bool fullscreen = frontmostIsFullscreen(geometry_.screenFrame, platform_);
        if (fullscreen == hiddenForFullscreen_) return;
        hiddenForFullscreen_ = fullscreen;
        if (fullscreen) collapse();
        panel_->animateAlpha(fullscreen ? 0 : 1);
    } else {
        if (!hiddenForFullscreen_) return;
        hiddenForFullscreen_ = false;
        panel_->animateAlpha(1);
    }
    updateInputAreas();
}

bool NotchWindowController::frontmostIsFullscreen(const Rect& frame, const platform::Platform& platform) {
    const platform::WindowServer* server = platform.windowServer;
    if (!server || !platform.screens) return false;
    const auto front = server->frontmostApplication();
    if (!front) return false;
    if (front->bundleIdentifier == server->currentApplication().bundleIdentifier) return false;
    const auto screens = platform.screens->screens();
    if (screens.empty()) return false;
    const auto windows = server->onScreenWindows();
    if (!windows) return false;

    // The window system measures from the primary screen's top-left corner.
    const Rect target(frame.minX(), screens.front().frame.maxY() - frame.maxY(), frame.width(),
                      frame.height());
    const auto close = [](double a, double b) { return std::abs(a - b) < fullscreenTolerance; };
    for (const auto& window : *windows) {
        if (window.ownerProcessIdentifier != front->processIdentifier || window.layer != 0) continue;
        const Rect& b = window.bounds;
        if (close(b.x(), target.x()) && close(b.y(), target.y()) && close(b.width(), target.width()) &&
            close(b.height(), target.height()))
            return true;
    }
    return false;
}

}  // namespace quorlix
