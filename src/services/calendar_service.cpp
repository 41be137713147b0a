#include "services/calendar_service.h"

#include "services/date_text.h"

#include <cmath>

namespace quorlix {

// Without a calendar store the permission cannot be learnt: access stays unknown, and only a
// granted store has events to load. The calendar backend fills these in.
void CalendarService::start() {}
void CalendarService::reload() {}

std::string CalendarService::relative(const UpcomingEvent& event, Date now) {
    if (event.start <= now) return "Ahora";
    const auto minutes = static_cast<long long>(std::ceil(event.start.timeIntervalSince(now) / 60));
    if (minutes <= 59) return "En " + std::to_string(minutes) + " min";
    return formatDate(event.start, isSameDay(event.start, now) ? "h:mm a" : "EEE h:mm a", "es_MX", true);
}

}  // namespace quorlix
