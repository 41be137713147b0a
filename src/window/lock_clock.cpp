#include "window/lock_clock.h"

#include "services/date_text.h"
#include "ui/animation.h"
#include "ui/display_list.h"
#include "ui/timeline.h"
#include "ui/views.h"

#include <algorithm>
#include <cmath>

namespace quorlix {

namespace {

using namespace ui;

// The clock's two formats for one locale.
struct ClockFormat {
    DateFormatter date;
    DateFormatter time;

    explicit ClockFormat(std::string_view locale)
        : date(bestDatePattern("EEEdMMM", locale), locale), time(LockClock::timePattern(locale), locale) {}

    // Some locales abbreviate with dots ("mar.", "Di."); the clock shows none.
    std::string dateText(Date d) const {
        std::string text = date.format(d);
        std::erase(text, '.');
        return text;
    }
};

// Made once, for the locale the process started in.
const ClockFormat& currentFormat() {
    static const ClockFormat format(currentLocale());
    return format;
}

// The tint 45 % of the way to white, or white for a tint that is not a colour.
Color lightened(const Color& tint) {
    if (!std::isfinite(tint.r) || !std::isfinite(tint.g) || !std::isfinite(tint.b) || !std::isfinite(tint.a))
        return Color::white;
    return tint.mix(Color::white, 0.45);
}

}  // namespace

std::string LockClock::timePattern(std::string_view locale) {
    return bestDatePattern("j", locale).find('a') != std::string::npos ? "h:mm" : "H:mm";
}

std::string LockClock::dateText(Date date, std::string_view locale) {
    return ClockFormat(locale).dateText(date);
}

std::string LockClock::timeText(Date date, std::string_view locale) {
    return ClockFormat(locale).time.format(date);
}

View LockClock::body(Context&) const {
    const double h = height;
    const Color light = lightened(tint);
    return TimelineView(TimelineSchedule::everyMinute(), [h, light](const TimelineContext& entry) {
        const ClockFormat& format = currentFormat();
        return VStack(
                   {.alignment = HorizontalAlignment::center, .spacing = -0.012 * h},
                   {
                       Text(format.dateText(entry.date))
                           .font(Font::system(std::max(0.026 * h, 17.0), FontWeight::semibold))
                           .foregroundStyle(light.opacity(0.85)),
                       Text(format.time.format(entry.date))
                           .font(
                               Font::system(std::max(0.135 * h, 64.0), FontWeight::bold, FontDesign::rounded)
                                   .monospacedDigit())
                           .foregroundStyle(LinearGradient({Color::white.opacity(0.88), light.opacity(0.78)},
                                                           UnitPoint::top, UnitPoint::bottom))
                           .shadow(Color::white.opacity(0.25), 0.5, 0, -0.5)
                           .shadow(Color::black.opacity(0.2), 14, 0, 5)
                           .contentTransition(ContentTransition::numericText()),
                   })
            .animation(Animation::spring(0.5, 0.85), entry.date);
    });
}

}  // namespace quorlix
