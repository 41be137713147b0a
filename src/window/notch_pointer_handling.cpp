// The notch window controller's pointer handling: hovering, opening and closing, file drags,
// page and track swipes, and volume scrolls.

#include "foundation/app_settings.h"
#include "services/now_playing_service.h"
#include "services/volume_service.h"
#include "ui/animation.h"
#include "ui/transaction.h"
#include "window/notch_window_controller.h"

#include <algorithm>
#include <cmath>

namespace quorlix {

namespace {

using platform::PointerEventType;
using platform::ScrollPhase;

// Volume per point of a trackpad scroll, and per line of a wheel.
constexpr double trackpadVolumeStep = 0.0035;
constexpr double wheelVolumeStep = 0.04;
// A wheel's click (a notch, a sideways tilt) counts as a page swipe this long: one click
// turns a page, and quick clicks after it belong to the same gesture.
constexpr double wheelClickDistance = 50;
// A page turns once a swipe has gone this far sideways.
constexpr double pageSwipeDistance = 40;
// A track changes once a swipe has gone this far sideways.
constexpr double trackSwipeDistance = 45;
// The axis of a track swipe locks once the fingers moved this far...
constexpr double axisLockDistance = 2.0;
// ...to horizontal when the sideways part is this much larger than the vertical one.
constexpr double horizontalDominance = 1.2;

// How far a scroll swiped, in points.
double swipeDistance(double delta, const platform::ScrollDetail& event) {
    return event.hasPreciseScrollingDeltas ? delta : delta * wheelClickDistance;
}

}  // namespace

void NotchWindowController::handleMouse(Point point, PointerEventType type, bool fileDrag) {
    if (hiddenForFullscreen_) return;
    pointerAt(point);
    const auto& settings = services_.settings;
    const bool dragOpen = fileDrag && settings.trayEnabled.get() && settings.openTrayOnDrag.get();
    const bool pressing =
        type == PointerEventType::leftMouseDown || type == PointerEventType::leftMouseDragged;
    const bool down = type == PointerEventType::leftMouseDown;

    if (!state_.expanded.get()) {
        const bool inside = closedArea().contains(point);
        if (inside && dragOpen) {
            expand(IslandTab::tray, true);
            return;
        }
        if (settings.openMode.get() == IslandOpenMode::hover) {
            if (state_.hovering.get()) state_.hovering = false;
            // A press or a drag that reaches the island does not open it; a plain move does.
            if (inside && !pressing) expand(std::nullopt, true);
            return;
        }
        if (inside != state_.hovering.get()) {
            state_.hovering = inside;
            if (inside) {
                haptic(platform::HapticPattern::alignment);
                if (down) expand(std::nullopt, true);
            }
        } else if (inside && down) {
            expand(std::nullopt, true);
        }
        return;
    }

    const Rect area = openArea();
    if (down) pressStartedInside_ = area.contains(point);
    if (area.contains(point)) {
        collapseWork_.cancel();
        if (dragOpen && !pressStartedInside_) state_.tab = shownTab(IslandTab::tray);
        return;
    }
    // A drag that began on the island (a file pulled out of the tray) keeps it open.
    if (pressing && pressStartedInside_) return;
    scheduleCollapse();
}

void NotchWindowController::handleScroll(const platform::ScrollDetail& event, Point point) {
    if (hiddenForFullscreen_) return;
    pointerAt(point);
    const auto& settings = services_.settings;
    if (!state_.expanded.get()) {
        if (closedArea().contains(point) && !handleTrackSwipe(event) && settings.scrollForVolume.get())
            stepVolume(event);
        return;
    }
    if (!openScrollArea().contains(point)) return;
    if (!settings.swipeBetweenPages.get()) {
        if (shownTab(state_.tab.get()) == IslandTab::music) handleTrackSwipe(event);
        return;
    }
    handlePageSwipe(event);
}

void NotchWindowController::stepVolume(const platform::ScrollDetail& event) {
    const double step =
        event.deltaY * (event.hasPreciseScrollingDeltas ? trackpadVolumeStep : wheelVolumeStep);
    if (step == 0) return;
    // The service clamps to 0...1 and unmutes above 0.
    services_.volume.stepVolume(static_cast<float>(step));
}

void NotchWindowController::handlePageSwipe(const platform::ScrollDetail& event) {
    if (event.isMomentum()) return;
    if (event.phase == ScrollPhase::began) {
        swipeAccumulated_ = 0;
        swipeHandled_ = false;
    }
    if (std::abs(event.deltaX) > std::abs(event.deltaY))
        swipeAccumulated_ += swipeDistance(event.deltaX, event);
    if (!swipeHandled_ && std::abs(swipeAccumulated_) > pageSwipeDistance) {
        swipeHandled_ = true;
        turnPage(swipeAccumulated_ < 0);
    }
    if (event.phase == ScrollPhase::ended || event.phase == ScrollPhase::cancelled) {
        swipeAccumulated_ = 0;
        swipeHandled_ = false;
    }
}

bool NotchWindowController::handleTrackSwipe(const platform::ScrollDetail& event) {
    // A wheel always changes the volume: a tilt by accident must not skip a song.
    if (!event.hasPreciseScrollingDeltas) return false;
    const auto& track = services_.nowPlaying.track.get();
    if (!track) return false;
    if (event.phase == ScrollPhase::began) {
        trackSwipe_ = 0;
        trackSwipeHandled_ = false;
        trackSwipeAxis_.reset();
    }
    // The coasting of a sideways swipe is swallowed; that of a vertical scroll passes on.
    if (event.isMomentum()) return trackSwipeAxis_ == SwipeAxis::horizontal;

    const double dx = std::abs(event.deltaX);
    const double dy = std::abs(event.deltaY);
    if (!trackSwipeAxis_ && dx + dy > axisLockDistance)
        trackSwipeAxis_ = dx > horizontalDominance * dy ? SwipeAxis::horizontal : SwipeAxis::vertical;
    if (trackSwipeAxis_ != SwipeAxis::horizontal) return false;

    trackSwipe_ += event.deltaX;
    if (!trackSwipeHandled_ && std::abs(trackSwipe_) > trackSwipeDistance) {
        trackSwipeHandled_ = true;
        haptic(platform::HapticPattern::alignment);
        const bool next = event.isDirectionInvertedFromDevice ? trackSwipe_ > 0 : trackSwipe_ < 0;
        state_.trackSwipe = next ? 1 : -1;
        state_.trackSwipeCount = state_.trackSwipeCount.get() + 1;
        services_.nowPlaying.send(next ? "next track" : "previous track");
    }
    return true;
}

void NotchWindowController::turnPage(bool forward) {
    const auto pages = visibleTabs();
    if (pages.size() < 2) return;
    // A page no longer shown counts as the first one, where the island draws it.
    const auto at = std::find(pages.begin(), pages.end(), shownTab(state_.tab.get()));
    if (at == pages.end()) return;
    const auto index = (at - pages.begin()) + (forward ? 1 : -1);
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(pages.size())) return;
    haptic(platform::HapticPattern::alignment);
    ui::withAnimation(ui::Animation::spring(0.35, 0.85),
                      [&] { state_.tab = pages[static_cast<std::size_t>(index)]; });
}

}  // namespace quorlix
