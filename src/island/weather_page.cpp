#include "island/weather_page.h"

#include "foundation/app_settings.h"
#include "island/island_layout.h"
#include "island/live_preview.h"
#include "services/weather_service.h"
#include "ui/context.h"
#include "ui/views.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorlix {

namespace {

using namespace ui;

View weatherSymbol(int code, bool isDay) {
    return Symbol(WeatherService::symbol(code, isDay)).symbolRenderingMode(SymbolRenderingMode::multicolor);
}

View placeholder(bool locationDenied) {
    return VStack({.alignment = HorizontalAlignment::center, .spacing = 6},
                  {
                      Symbol("cloud.sun").font(Font::system(20)).foregroundStyle(Color::white.opacity(0.4)),
                      Text(locationDenied ? "Escribe tu ciudad en Ajustes › Clima" : "Cargando el clima…")
                          .font(Font::system(11.5, FontWeight::medium))
                          .foregroundStyle(Color::white.opacity(0.6)),
                  })
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

View hourRow(const HourForecast& hour) {
    return HStack({.alignment = VerticalAlignment::center, .spacing = 8},
                  {
                      Text(hour.label)
                          .foregroundStyle(Color::white.opacity(0.6))
                          .frame({.width = 38, .alignment = Alignment::leading}),
                      weatherSymbol(hour.code, hour.isDay).frame({.width = 18}),
                      Text(degrees(hour.temperature))
                          .foregroundStyle(Color::white)
                          .frame({.width = 28, .alignment = Alignment::trailing}),
                  })
        .font(Font::system(11, FontWeight::semibold).monospacedDigit());
}

}  // namespace

std::string degrees(double temperature) {
    // Adding zero turns a rounded -0 into 0.
    char text[64];
    std::snprintf(text, sizeof text, "%.0f°", std::round(temperature) + 0.0);
    return text;
}

std::size_t WeatherPage::hourCount(double width) { return width < IslandLayout::wideExpandedWidth ? 4 : 6; }

View WeatherPage::body(Context& ctx) const {
    const WeatherService& weather = ctx.object<WeatherService>();
    ctx.observe(LivePreview::shared());
    ctx.observe(AppSettings::shared());
    const auto temperature = weather.temperature.get();
    if (!temperature) return placeholder(weather.locationDenied.get());

    const auto& high = weather.high.get();
    const auto& low = weather.low.get();
    const View range =
        If(high && low, Text("Máx. " + degrees(high.value_or(0)) + "  Mín. " + degrees(low.value_or(0)))
                            .font(Font::system(10.5, FontWeight::semibold).monospacedDigit())
                            .foregroundStyle(Color::white.opacity(0.5)));
    const View left = VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 2},
        {
            Text(weather.place.get().value_or("Tu ubicación"))
                .font(Font::system(12, FontWeight::semibold))
                .foregroundStyle(Color::white.opacity(0.75))
                .lineLimit(1),
            HStack({.alignment = VerticalAlignment::firstTextBaseline, .spacing = 6},
                   {
                       Text(degrees(*temperature))
                           .font(Font::system(38, FontWeight::light, FontDesign::rounded))
                           .foregroundStyle(Color::white),
                       weatherSymbol(weather.weatherCode.get(), weather.isDay.get()).font(Font::system(18)),
                   }),
            Text(weather.summary())
                .font(Font::system(11.5, FontWeight::medium))
                .foregroundStyle(Color::white.opacity(0.7)),
            range,
        });

    const auto& hours = weather.hours.get();
    const std::vector<HourForecast> shown(
        hours.begin(), hours.begin() + static_cast<std::ptrdiff_t>(
                                           std::min(hours.size(), hourCount(IslandLayout::expandedWidth()))));
    const View column = VStack({.alignment = HorizontalAlignment::center, .spacing = 3},
                               {ForEach(
                                   shown, [](const HourForecast& hour) { return hour.id; }, hourRow)})
                            .padding(Edge::top, 2);

    return HStack({.alignment = VerticalAlignment::top, .spacing = 16}, {left, Spacer(), column});
}

}  // namespace quorlix
