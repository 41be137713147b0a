#include "island/weather_badge.h"

#include "island/weather_page.h"
#include "services/weather_service.h"
#include "ui/context.h"
#include "ui/views.h"

#include <vector>

namespace quorlix {

std::string WeatherBadge::tooltip(const WeatherService& weather) {
    std::vector<std::string> parts{weather.summary()};
    const auto& high = weather.high.get();
    const auto& low = weather.low.get();
    if (high && low) parts.push_back("Máx. " + degrees(*high) + " · Mín. " + degrees(*low));
    if (const auto& place = weather.place.get()) parts.insert(parts.begin(), *place);
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? "" : " — ") + parts[i];
    return text;
}

ui::View WeatherBadge::body(ui::Context& ctx) const {
    using namespace ui;
    const WeatherService& weather = ctx.object<WeatherService>();
    const auto& temperature = weather.temperature.get();
    if (!temperature) return EmptyView();
    return HStack({.alignment = VerticalAlignment::center, .spacing = 5},
                  {
                      Symbol(WeatherService::symbol(weather.weatherCode.get(), weather.isDay.get()))
                          .symbolRenderingMode(SymbolRenderingMode::multicolor)
                          .font(Font::system(12)),
                      Text(degrees(*temperature))
                          .font(Font::system(12, FontWeight::semibold).monospacedDigit())
                          .foregroundStyle(Color::white),
                  })
        .help(tooltip(weather));
}

}  // namespace quorlix
