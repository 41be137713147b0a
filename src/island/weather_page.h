#pragma once
// The expanded island's weather page: the place, the temperature with its symbol, the
// condition and today's range on the left, the next hours on the right. Until the first
// forecast arrives it says why nothing shows yet (no location allowed, or still loading).
// Stateless: it follows `WeatherService` and the expanded island's width (4 hours under 560
// points, 6 from there, read at each render so a live size preview changes it at once).
//
//     WeatherPage{}   // with the WeatherService in the environment

#include "ui/view.h"

#include <cstddef>
#include <string>

namespace quorlix {

struct WeatherPage : ui::ViewModifiers<WeatherPage> {
    ui::View body(ui::Context& ctx) const;

    // The hours listed on an expanded island `width` points wide.
    static std::size_t hourCount(double width);
};

// A temperature as the island writes it: the nearest whole number, halves away from zero,
// then "°" ("22°", "0°" for -0.4, "-3°" for -2.5).
std::string degrees(double temperature);

}  // namespace quorlix
