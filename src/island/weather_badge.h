#pragma once
// The weather chip of the expanded island's header: the current symbol and temperature, with
// a tooltip that adds the place, the condition and today's range. Nothing at all until a
// temperature is known.
//
//     WeatherBadge{}   // with the WeatherService in the environment

#include "ui/view.h"

#include <string>

namespace quorlix {

class WeatherService;

struct WeatherBadge : ui::ViewModifiers<WeatherBadge> {
    ui::View body(ui::Context& ctx) const;

    // "Ciudad de México — Despejado — Máx. 24° · Mín. 12°"; the place and the range only when
    // known.
    static std::string tooltip(const WeatherService& weather);
};

}  // namespace quorlix
