#pragma once
// The Weather pane: a live card of what the weather service knows, the weather on or off,
// Fahrenheit, and the city used for the forecast (empty: the device's location). The city is
// typed into a field and saved, exactly as typed, with Return or "Guardar"; the field starts
// from the saved city each time the pane comes on screen. The pane only writes the keys: the
// application reacts to them.

#include "ui/view.h"

#include <optional>
#include <string>

namespace quorlix {

struct WeatherPane {
    ui::View body(ui::Context& ctx) const;
};

// Place, temperature, today's high and low, and the condition with its symbol once a forecast
// has come, on a day or night gradient. Temperatures come in the unit fetched, with no unit
// letter.
struct WeatherPreview {
    ui::View body(ui::Context& ctx) const;

    // "22°"; "--°" without a temperature (or with one that is not a number).
    static std::string temperatureText(std::optional<double> temperature);
    // "Máx. 24°  Mín. 12°" while both are known.
    static std::optional<std::string> rangeText(std::optional<double> high, std::optional<double> low);
};

}  // namespace quorlix
