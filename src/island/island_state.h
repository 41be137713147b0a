#pragma once
// The small per-window model of the island: which page the expanded island shows, whether it
// is open or hovered, and the latest track swipe. One per notch window, main thread only.

#include "foundation/raw_enum.h"
#include "platform/geometry.h"
#include "platform/published.h"

#include <optional>
#include <string_view>
#include <vector>

namespace quorlix {

// The expanded island's pages, in order.
enum class IslandTab { music, weather, tray, calendar, timer };

template <>
struct RawEnumTraits<IslandTab> {
    static constexpr std::array<std::pair<IslandTab, std::string_view>, 5> cases{{
        {IslandTab::music, "music"},
        {IslandTab::weather, "weather"},
        {IslandTab::tray, "tray"},
        {IslandTab::calendar, "calendar"},
        {IslandTab::timer, "timer"},
    }};
};

// The tab's label and symbol in the expanded island's header.
std::string_view title(IslandTab tab);
std::string_view symbol(IslandTab tab);

// The pages shown now: music and timer always, the others while their feature is enabled
// (read from `AppSettings::shared()` on each call).
std::vector<IslandTab> visibleTabs();
// The page the island shows for a selected tab: the tab itself while it is visible, else the
// first visible one (music), so a page whose feature was switched off is never shown.
IslandTab shownTab(IslandTab selected);

class IslandState final : public ObservableObject {
public:
    // Open as the expanded panel.
    Published<bool> expanded{this, false};
    // The page shown when expanded.
    Published<IslandTab> tab{this, IslandTab::music};
    // The pointer is over the island's hit area.
    Published<bool> hovering{this, false};
    // Direction of the latest track-changing swipe: +1 next, -1 previous.
    Published<int> trackSwipe{this, 0};
    // The expanded island's audio-output menu is open.
    Published<bool> outputMenuOpen{this, false};
    // Track-changing swipes so far, so views can react to each one, also in the same direction.
    Published<int> trackSwipeCount{this, 0};
    // Where the output menu stands in the panel (its own space, y downward) while the root
    // view shows it, so the window keeps taking the pointer there.
    Published<std::optional<Rect>> outputMenuFrame{this, std::nullopt};
};

}  // namespace quorlix
