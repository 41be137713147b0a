#pragma once
// The expanded island's pages on the fake platform: the widget services as environment
// objects, the island's width set through the live preview, and clicks at a view's centre.

#include "foundation/app_settings.h"
#include "island/live_preview.h"
#include "island_view_test_support.h"
#include "services/calendar_service.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/weather_service.h"

#include <string_view>

namespace quorlix::testing {

class IslandPagesTest : public IslandViewTest {
protected:
    WeatherService weather;
    CalendarService calendar;
    TimerService timer;
    TrayStore tray;

    ~IslandPagesTest() override { LivePreview::shared().width = std::nullopt; }

    // Hosts `make()` with the widget services, in a page area of `size`.
    void showPage(std::function<ui::View()> make, Size size = {303, 122}) {
        show(
            [this, make = std::move(make), size] {
                return make()
                    .frame({.width = size.width, .height = size.height})
                    .environmentObject(weather)
                    .environmentObject(calendar)
                    .environmentObject(timer)
                    .environmentObject(tray)
                    .environmentObject(AppSettings::shared());
            },
            size);
    }
    void click(Point p, int times = 1) {
        for (int i = 0; i < times; ++i) {
            host->events().pointerPressed(p);
            host->events().pointerReleased(p);
        }
        advance(0.3);
    }
    Point centre(const ui::DisplayItem* item) {
        EXPECT_NE(item, nullptr);
        return item ? Point{item->frame.midX(), item->frame.midY()} : Point{};
    }
    void clickText(std::string_view text, int times = 1) { click(centre(shown().findText(text)), times); }
    void clickSymbol(std::string_view name) { click(centre(shown().findSymbol(name))); }
    // The texts drawn, in tree order.
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (const auto* i : shown().findAll([](auto& i) { return i.kind == ui::DisplayItem::Kind::text; }))
            out.push_back(i->text);
        return out;
    }
    double alpha(const ui::DisplayItem* item) {
        EXPECT_NE(item, nullptr);
        return item && item->textPaint ? item->textPaint->color.a : -1;
    }
};

}  // namespace quorlix::testing
