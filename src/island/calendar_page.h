#pragma once
// The expanded island's calendar page, in one of four states: the button that asks for
// calendar access, the note that access was refused, the note that nothing is left today, or
// the next events (3 rows on an expanded island under 560 points, 4 from there, read at each
// render). The list recomputes its times every 30 seconds; a double click anywhere on it
// opens the calendar application. Stateless otherwise: it follows `CalendarService`.
//
//     CalendarPage{}   // with the CalendarService in the environment

#include "ui/view.h"

#include <cstddef>

namespace quorlix {

struct CalendarPage : ui::ViewModifiers<CalendarPage> {
    ui::View body(ui::Context& ctx) const;

    // The events listed on an expanded island `width` points wide.
    static std::size_t rowCount(double width);
};

}  // namespace quorlix
