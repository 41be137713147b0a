#pragma once
// Lock-screen views hosted as their windows host them: every object the windows hand down
// (the now-playing, lyrics, volume, weather and battery services, the settings and the
// lock-screen info), on virtual time with fixed font metrics.

#include "foundation/app_settings.h"
#include "island/island_view_test_support.h"
#include "services/battery_service.h"
#include "services/lyrics_service.h"
#include "services/weather_service.h"
#include "window/lock_screen_info.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace quorlix::testing {

// A picture of one colour.
inline platform::Image picture(int width, int height, std::array<std::uint8_t, 4> colour) {
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < width * height; ++i) rgba.insert(rgba.end(), colour.begin(), colour.end());
    return *platform::Image::fromRGBA(width, height, std::move(rgba));
}

class LockViewTest : public IslandViewTest {
protected:
    AppSettings& settings = AppSettings::shared();
    LyricsService lyrics{&fake.httpClient};
    WeatherService weather;
    BatteryService battery{&fake.powerSources};
    LockScreenInfo info;

    void showLock(std::function<ui::View()> make, Size size) {
        show(
            [this, make] {
                return make()
                    .environmentObject(lyrics)
                    .environmentObject(settings)
                    .environmentObject(weather)
                    .environmentObject(battery)
                    .environmentObject(info);
            },
            size);
    }
    void click(Point p) {
        host->events().pointerPressed(p);
        host->events().pointerReleased(p);
        advance(0.05);
    }
    // Where an item is drawn, its transforms applied.
    Rect drawn(const ui::DisplayItem* item) { return shown().drawnFrame(item); }
    Point centre(const ui::DisplayItem* item) {
        const Rect r = drawn(item);
        return {r.midX(), r.midY()};
    }
    const ui::DisplayItem* symbol(std::string_view name) { return shown().findSymbol(name); }
    const ui::DisplayItem* text(std::string_view content) { return shown().findText(content); }
    // The opacity an item is drawn with, through its ancestors.
    double opacityOf(const ui::DisplayItem* item) {
        double o = 1;
        for (const auto* step : shown().pathTo(item)) o *= step->opacity;
        return o;
    }
    // The texts and symbols drawn, in tree order.
    std::vector<std::string> labels() {
        std::vector<std::string> out;
        for (const auto* i : shown().findAll([](const ui::DisplayItem& i) {
                 return i.kind == ui::DisplayItem::Kind::text || i.kind == ui::DisplayItem::Kind::symbol;
             }))
            out.push_back(i->kind == ui::DisplayItem::Kind::symbol ? i->symbol : i->text);
        return out;
    }
    bool has(const std::string& label) {
        const auto all = labels();
        return std::find(all.begin(), all.end(), label) != all.end();
    }
};

}  // namespace quorlix::testing
