#include "settings/weather_pane.h"

#include "foundation/app_settings.h"
#include "services/weather_service.h"
#include "settings/live_value.h"
#include "settings/setting_rows.h"
#include "ui/ui.h"

#include <cmath>

namespace quorlix {

using namespace ui;

namespace {

bool known(const std::optional<double>& value) { return value && std::isfinite(*value); }

View cityRow(AppSettings& settings, const State<std::string>& city) {
    const auto save = [&settings, city] { settings.weatherCity = city.get(); };
    Views items{
        Symbol("location.fill").foregroundStyle(Color::white.opacity(0.6)).frame({.width = 18}),
        TextField("Automática (tu ubicación)", city.binding(), {.plain = true, .onSubmit = save})
            .font(Font::system(13.5, FontWeight::medium))
            .foregroundStyle(Color::white)
            .id("city.field"),
    };
    if (city.get() != settings.weatherCity.get())
        items.push_back(Button("Guardar", save).buttonStyle(BorderedButtonStyle{}).id("city.save"));
    return HStack({.alignment = VerticalAlignment::center}, std::move(items)).frame({.minHeight = 48});
}

}  // namespace

std::string WeatherPreview::temperatureText(std::optional<double> temperature) {
    return known(temperature) ? wholeNumberText(*temperature) + "°" : "--°";
}

std::optional<std::string> WeatherPreview::rangeText(std::optional<double> high, std::optional<double> low) {
    if (!known(high) || !known(low)) return std::nullopt;
    return "Máx. " + wholeNumberText(*high) + "°  Mín. " + wholeNumberText(*low) + "°";
}

View WeatherPreview::body(Context& ctx) const {
    WeatherService& weather = ctx.object<WeatherService>();
    Views column{
        Text(weather.place.get().value_or("Tu ubicación"))
            .font(Font::system(14, FontWeight::semibold))
            .foregroundStyle(Color::white.opacity(0.9)),
        Text(temperatureText(weather.temperature.get()))
            .font(Font::system(46, FontWeight::thin))
            .foregroundStyle(Color::white)
            .id("weather.temperature"),
    };
    if (const auto range = rangeText(weather.high.get(), weather.low.get()))
        column.push_back(Text(*range)
                             .font(Font::system(12, FontWeight::semibold))
                             .foregroundStyle(Color::white.opacity(0.8))
                             .id("weather.range"));
    const bool day = weather.isDay.get();
    // The condition comes with a forecast: before one, the service's first code is no sky seen.
    const View condition =
        If(known(weather.temperature.get()),
           VStack({.alignment = HorizontalAlignment::center, .spacing = 6},
                  {
                      Symbol(WeatherService::symbol(weather.weatherCode.get(), day))
                          .symbolRenderingMode(SymbolRenderingMode::multicolor)
                          .font(Font::system(40))
                          .id("weather.symbol"),
                      Text(weather.summary())
                          .font(Font::system(12, FontWeight::medium))
                          .foregroundStyle(Color::white.opacity(0.85)),
                  }));
    const RoundedRectangle card(20, RoundedCornerStyle::continuous);
    const LinearGradient sky =
        day ? LinearGradient({Color::sRGB(0.27, 0.55, 0.95), Color::sRGB(0.45, 0.72, 0.98)},
                             UnitPoint::topLeading, UnitPoint::bottomTrailing)
            : LinearGradient({Color::sRGB(0.10, 0.12, 0.30), Color::sRGB(0.25, 0.22, 0.50)},
                             UnitPoint::topLeading, UnitPoint::bottomTrailing);
    return HStack({.alignment = VerticalAlignment::center, .spacing = 16},
                  {
                      VStack({.alignment = HorizontalAlignment::leading, .spacing = 4}, std::move(column)),
                      Spacer(),
                      condition,
                  })
        .padding(20)
        .background(card.fill(sky))
        .overlay(card.strokeBorder(Color::white.opacity(0.14), 0.7))
        .id("weather.card");
}

View WeatherPane::body(Context& ctx) const {
    AppSettings& settings = ctx.object<AppSettings>();
    WeatherService& weather = ctx.object<WeatherService>();
    const auto city = ctx.state<std::string>("");
    return VStack(
               {.alignment = HorizontalAlignment::leading, .spacing = 0},
               {
                   PaneHeader{SettingsSection::weather},
                   View(WeatherPreview{}).padding(Edge::bottom, 10),
                   Card{{ToggleRow{"Mostrar el clima", settingBinding(settings.weatherEnabled)}, RowDivider{},
                         ToggleRow{"Grados Fahrenheit", settingBinding(settings.useFahrenheit)}}},
                   GroupLabel{"Ubicación"},
                   Card{{cityRow(settings, city)}},
                   Footnote{
                       weather.locationDenied.get()
                           ? "Quorlix no tiene permiso de ubicación. Escribe tu ciudad o actívalo en los "
                             "ajustes de privacidad del escritorio."
                           : "Déjalo vacío para usar tu ubicación aproximada. El clima viene de Open-Meteo."},
               })
        .onAppear([&settings, city] { city = settings.weatherCity.get(); });
}

}  // namespace quorlix
