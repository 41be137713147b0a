#pragma once
// Dates as the user reads them: formatted with a locale's own words (ICU patterns such as
// "EEE h:mm a") in the current time zone, and the calendar-day test those texts depend on.

#include "platform/clock.h"

#include <string>
#include <string_view>

namespace quorlix {

// `date` in the ICU `pattern` for `locale` ("es_MX"), in the current time zone, lower-cased
// by that locale's rules when `lowercase` is set. Empty when the pattern cannot be used.
std::string formatDate(Date date, std::string_view pattern, std::string_view locale, bool lowercase = false);
// Whether both dates fall on the same day of the current calendar and time zone.
bool isSameDay(Date a, Date b);

}  // namespace quorlix
