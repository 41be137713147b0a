#pragma once
// The full-artwork lock view's large clock: the date above the time, tinted by the playing
// artwork's colour, sized by the screen's height and drawn again at the start of every
// minute (its only frames while nothing else changes). The texts follow the current
// locale: weekday, day and abbreviated month without dots, and the time as "H:mm", or
// "h:mm" (no day period shown) where the locale prefers a 12-hour clock.
//
//     LockClock{.height = screen.height, .tint = accent}.frame({.width = screen.width})
//
// Main thread only.

#include "platform/clock.h"
#include "ui/color.h"
#include "ui/view.h"

#include <string>
#include <string_view>

namespace quorlix {

struct LockClock : ui::ViewModifiers<LockClock> {
    // The screen's height, points: every size follows it.
    double height = 0;
    ui::Color tint = ui::Color::white;

    ui::View body(ui::Context& ctx) const;

    // The two lines for `date` in `locale` ("es_MX", "en_US").
    static std::string dateText(Date date, std::string_view locale);
    static std::string timeText(Date date, std::string_view locale);
    // "h:mm" when the locale's preferred hour pattern has a day period, else "H:mm".
    static std::string timePattern(std::string_view locale);
};

}  // namespace quorlix
