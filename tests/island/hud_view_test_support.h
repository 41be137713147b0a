#pragma once
// The closed island's views as the island draws them: on an island a given width beyond the
// notch (in the environment), with the timer and agents next to the media and audio services.

#include "island/island_environment.h"
#include "island_view_test_support.h"
#include "services/agent_service.h"
#include "services/timer_service.h"

#include <functional>

namespace quorlix::testing {

class HUDViewTest : public IslandViewTest {
protected:
    TimerService timer;
    AgentService agents{nullptr};

    // On an island `added` points wider than the notch and `below` points taller.
    void showIsland(std::function<ui::View()> make, double added, Size notch = {187, 32}, double below = 0) {
        const double width = notch.width + added;
        const double height = notch.height + below;
        show(
            [this, make = std::move(make), width, height] {
                return make()
                    .frame({.width = width, .height = height})
                    .environment(islandWidth, width)
                    .environmentObject(timer)
                    .environmentObject(agents);
            },
            {width, height + 100});
    }
    void settle() { advance(3); }

    // While something animates each `shown()` presents a new list: read what was found in
    // it back in `last()`, the list presented last.
    const ui::DisplayItem& last() { return host->graph().shown(); }
    const ui::DisplayItem& item(const ui::DisplayItem* found) {
        EXPECT_NE(found, nullptr);
        static const ui::DisplayItem none;
        return found ? *found : none;
    }
    const ui::DisplayItem& symbol(std::string_view name) { return item(shown().findSymbol(name)); }
    const ui::DisplayItem& text(std::string_view content) { return item(shown().findText(content)); }
    // The font size asked for (symbols are drawn on 1.25 of it), before any shrinking.
    static double fontSize(const ui::DisplayItem& i) {
        if (i.runs.empty()) return 0;
        return i.runs.front().font.size / (i.kind == ui::DisplayItem::Kind::symbol ? 1.25 : i.textScale);
    }
    static ui::Color color(const ui::DisplayItem& i) {
        return i.textPaint ? i.textPaint->color : ui::Color();
    }
    Rect drawn(const ui::DisplayItem& i) { return last().drawnFrame(&i); }
    double opacityOf(const ui::DisplayItem& i) {
        double o = 1;
        for (const auto* step : last().pathTo(&i)) o *= step->opacity;
        return o;
    }
};

}  // namespace quorlix::testing
