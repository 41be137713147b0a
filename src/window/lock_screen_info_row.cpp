#include "window/lock_screen_info_row.h"

#include "foundation/app_settings.h"
#include "services/battery_service.h"
#include "services/weather_service.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/views.h"

#include <cmath>
#include <string>

namespace quorlix {

namespace {

using namespace ui;

View item(const std::string& symbol, const std::string& text) {
    return HStack({.alignment = VerticalAlignment::center, .spacing = 10},
                  {
                      Symbol(symbol).font(Font::system(17, FontWeight::semibold)),
                      Text(text).font(Font::system(18, FontWeight::semibold).monospacedDigit()),
                  })
        .foregroundStyle(Color::white.opacity(0.88))
        .shadow(Color::black.opacity(0.25), 4, 0, 1);
}

std::string percent(std::int64_t value) { return std::to_string(value) + " %"; }

}  // namespace

View LockScreenInfoRow::body(Context& ctx) const {
    WeatherService& weather = ctx.object<WeatherService>();
    BatteryService& battery = ctx.object<BatteryService>();
    AppSettings& settings = ctx.object<AppSettings>();
    if (info) ctx.observe(*info);

    Views items;
    // The setting decides first: with the weather off the service is not read.
    if (settings.weatherEnabled.get()) {
        const auto& temperature = weather.temperature.get();
        if (temperature && std::isfinite(*temperature)) {
            // Halves away from zero, and never "-0".
            const long long degrees = std::llround(*temperature);
            items.push_back(item(WeatherService::symbol(weather.weatherCode.get(), weather.isDay.get()),
                                 std::to_string(degrees) + "°"));
        }
    }
    if (const auto& snapshot = battery.snapshot.get())
        items.push_back(
            item(snapshot->pluggedIn ? "bolt.fill" : "battery.75percent", percent(snapshot->level)));
    if (info) {
        if (const auto& headphones = info->headphones.get())
            items.push_back(item("airpodspro", percent(*headphones)));
    }
    return HStack({.alignment = VerticalAlignment::center, .spacing = 30}, std::move(items))
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

}  // namespace quorlix
