#pragma once
// One island on one screen: its geometry, its state and the panel that draws it.
//
// The controller opens and closes the island (`expand`, `collapse`, the delayed collapse after
// the pointer left, `peek`, `pinOpen`, `previewSize`), fades it out while a full-screen window
// covers the screen, and turns the pointer events the application forwards (from anywhere on
// screen) into hovering, opening, closing, page turns, track changes and volume steps.
//
// The panel takes the pointer while the island is open, inside its hit area, which the
// controller keeps up to date as the island's size changes; the pointer monitor then tells of
// every move, so that leaving closes it. Closed, where the monitor tells of every move, every
// click goes through to what lies under it, and the pointer events forwarded from the monitor
// alone open it. Where it tells of moves only over the application's own windows (X11, so that
// a pointer far from the island costs nothing; a Wayland session, where it hears of no other),
// and where a click opens the island, the closed area takes the pointer instead. Nothing of
// the panel is drawn or takes the pointer on the desktop's bar. Delayed work lives in members,
// so it dies with the controller. Main thread only.

#include "foundation/notch_geometry.h"
#include "island/island_mode.h"
#include "island/island_services.h"
#include "island/island_state.h"
#include "platform/platform.h"
#include "platform/pointer_monitor.h"
#include "platform/work_item.h"

#include <memory>
#include <optional>
#include <vector>

namespace quorlix {

class NotchWindowController {
public:
    // The panel's fixed size, whatever the island shows, below any bar the desktop keeps along
    // the screen's top edge (the panel grows by the bar's height).
    static constexpr Size panelSize{920, 340};
    static constexpr double collapseDelay = 0.18;
    static constexpr double peekDuration = 5.0;
    static constexpr double sizePreviewDuration = 1.6;

    // Builds the island for `screen` and shows its panel.
    NotchWindowController(const platform::Screen& screen, IslandServices services,
                          const platform::Platform& platform);
    ~NotchWindowController();
    NotchWindowController(const NotchWindowController&) = delete;
    NotchWindowController& operator=(const NotchWindowController&) = delete;

    // Pointer entry points, with the pointer's global location.
    void handleMouse(Point point, platform::PointerEventType type, bool fileDrag);
    void handleScroll(const platform::ScrollDetail& event, Point point);

    // Opens on `tab` for a few seconds, then closes unless the pointer is over the island.
    void peek(IslandTab tab);
    // Opens on `tab` (or the current page) for good: leaving never closes it.
    void pinOpen(std::optional<IslandTab> tab);
    // Opens briefly to show a new expanded size.
    void previewSize();
    // Applies `hideInScreenshots` and `hideInFullscreen`.
    void applySettings();
    // Fades the island out while the frontmost application fills this screen, back in after.
    void updateFullscreenVisibility();
    // Takes the panel off screen for good, with any pending collapse (the window set is being
    // rebuilt or the island hidden).
    void tearDown();

    const NotchGeometry& geometry() const { return geometry_; }
    IslandState& state() { return state_; }
    const IslandState& state() const { return state_; }
    platform::PanelWindow& panel() { return *panel_; }
    bool isPinned() const { return pinned_; }
    bool isHiddenForFullscreen() const { return hiddenForFullscreen_; }
    bool hasPendingCollapse() const { return collapseWork_.isPending(); }

    // What the closed island shows now.
    IslandMode collapsedMode() const;
    // The island's rectangle in a mode, in global screen points.
    Rect islandRect(IslandMode mode) const;
    // Where the pointer counts as on the closed island; on the open island for clicks and
    // moves; on the open island for scrolls.
    Rect closedArea() const;
    Rect openArea() const;
    Rect openScrollArea() const { return islandRect(IslandMode::expanded); }

    // Whether a window of the frontmost application (not this one) covers `frame` to within
    // 2 points on each edge.
    static bool frontmostIsFullscreen(const Rect& frame, const platform::Platform& platform);

private:
    enum class SwipeAxis { horizontal, vertical };

    void expand(std::optional<IslandTab> tab, bool feedback);
    void collapse();
    void scheduleCollapse();
    void scheduleCollapseCheck(double seconds);
    void haptic(platform::HapticPattern pattern);
    bool handleTrackSwipe(const platform::ScrollDetail& event);
    void turnPage(bool forward);
    void stepVolume(const platform::ScrollDetail& event);
    void handlePageSwipe(const platform::ScrollDetail& event);
    IslandModeSources modeSources() const;
    // Keeps the panel's input area equal to the open island's hit area (none while closed),
    // once the change that triggered it is stored.
    void scheduleInputAreaUpdate();
    void updateInputAreas();
    // `area` cut at the lower edge of the desktop's bar along the screen's top: the pointer on
    // the bar is for the bar's own controls.
    Rect belowBar(Rect area) const;
    // The open island grown by 18 points, below the bar: where the pointer keeps it open.
    Rect openIslandArea() const;
    // The part of the open area the panel itself shows: all of it but a menu's window.
    Rect openPanelArea() const;
    // Whether the closed island takes the pointer over the closed area: to hear of it, or to
    // keep its clicks and wheel from the window under it.
    bool takesPointerWhenClosed() const;
    // Has the pointer monitor tell of every move while the island is open, and of none far from
    // it while closed.
    void followMovesWhileOpen();
    // The part of the closed area the panel takes: all of it, but for what it added under a
    // pointer resting there since before, which keeps that pointer's clicks for the window
    // under it until the pointer moves.
    Rect closedAreaTaken();
    // A pointer event at `point`: a held-back pointer that moved is the island's again.
    void pointerAt(Point point);
    void setContent();

    IslandServices services_;
    const platform::Platform& platform_;
    NotchGeometry geometry_;
    // The height of the desktop's bar along the screen's top edge, which the island hangs from.
    double barHeight_ = 0;
    IslandState state_;
    std::unique_ptr<platform::PanelWindow> panel_;

    platform::WorkItem collapseWork_;
    bool pressStartedInside_ = false;
    bool hiddenForFullscreen_ = false;
    double swipeAccumulated_ = 0;
    bool swipeHandled_ = false;
    double trackSwipe_ = 0;
    bool trackSwipeHandled_ = false;
    std::optional<SwipeAxis> trackSwipeAxis_;
    platform::WorkItem previewWork_;
    bool pinned_ = false;
    platform::WorkItem outputMenuWork_;

    platform::WorkItem inputAreaWork_;
    std::vector<Rect> inputAreas_;
    Subscription movesFollowed_;
    // The part of the closed area the panel took last; empty while it takes none.
    Rect closedTaken_;
    // A pointer resting in what the closed area added, and what the panel took before it did.
    struct HeldPointer {
        Point at;
        Rect before;
    };
    std::optional<HeldPointer> heldPointer_;
    Subscription heldPointerFollowed_;
    std::vector<Subscription> subscriptions_;
};

}  // namespace quorlix
