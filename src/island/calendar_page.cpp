#include "island/calendar_page.h"

#include "foundation/app_settings.h"
#include "island/island_button_style.h"
#include "island/island_layout.h"
#include "island/live_preview.h"
#include "platform/clock.h"
#include "services/calendar_service.h"
#include "ui/context.h"
#include "ui/timeline.h"
#include "ui/views.h"

#include <algorithm>
#include <vector>

namespace quorlix {

namespace {

using namespace ui;

constexpr double tickInterval = 30;

// A centred note: a symbol over a short text.
View empty(const std::string& symbol, const std::string& text) {
    return VStack({.alignment = HorizontalAlignment::center, .spacing = 6},
                  {
                      Symbol(symbol).font(Font::system(20)).foregroundStyle(Color::white.opacity(0.45)),
                      Text(text)
                          .font(Font::system(11.5, FontWeight::medium))
                          .foregroundStyle(Color::white.opacity(0.6))
                          .multilineTextAlignment(TextAlignment::center),
                  })
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

View accessPrompt(CalendarService& calendar) {
    const View label =
        Text("Mostrar mis eventos")
            .font(Font::system(12, FontWeight::semibold))
            .foregroundStyle(Color::white)
            .padding(Edges::horizontal, 14)
            .padding(Edges::vertical, 6)
            .background(Capsule(RoundedCornerStyle::continuous).fill(Color::white.opacity(0.14)));
    return VStack(
               {.alignment = HorizontalAlignment::center, .spacing = 8},
               {
                   Symbol("calendar").font(Font::system(20)).foregroundStyle(Color::white.opacity(0.5)),
                   Button(label, [&calendar] { calendar.requestAccess(); }).buttonStyle(IslandButtonStyle{}),
               })
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

View eventRow(const UpcomingEvent& event, Date now) {
    const bool begun = event.start <= now;
    const bool hasLocation = event.location && !event.location->empty();
    const Color color(event.color.red, event.color.green, event.color.blue, event.color.opacity);
    return HStack({.alignment = VerticalAlignment::center, .spacing = 9},
                  {
                      Capsule(RoundedCornerStyle::continuous).fill(color).frame({.width = 3.5, .height = 26}),
                      // The title and its location read as one block: two lines, close together.
                      VStack({.alignment = HorizontalAlignment::leading, .spacing = 1},
                             {
                                 Text(event.title)
                                     .font(Font::system(12.5, FontWeight::semibold))
                                     .foregroundStyle(Color::white)
                                     .lineLimit(1),
                                 If(hasLocation, Text(event.location.value_or(""))
                                                     .font(Font::system(10.5))
                                                     .foregroundStyle(Color::white.opacity(0.5))),
                             }),
                      Spacer(6),
                      Text(CalendarService::relative(event, now))
                          .font(Font::system(11, FontWeight::semibold).monospacedDigit())
                          .foregroundStyle(begun ? Color::green : Color::white.opacity(0.65)),
                  });
}

// The events with their times, recomputed every 30 seconds from when the list first shows.
struct EventList {
    std::vector<UpcomingEvent> events;
    CalendarService* calendar;

    View body(Context& ctx) const {
        const auto since = ctx.state<Date>(platform::Clock::shared().date());
        return TimelineView(
            TimelineSchedule::periodic(since.get(), tickInterval),
            [events = events, calendar = calendar](const TimelineContext& tick) {
                const Date now = tick.date;
                return VStack({.alignment = HorizontalAlignment::leading, .spacing = 6},
                              {ForEach(
                                  events, [](const UpcomingEvent& e) { return e.id; },
                                  [now](const UpcomingEvent& e) { return eventRow(e, now); })})
                    .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading})
                    .contentShape(Rectangle())
                    .onTapGesture(2, [calendar] { calendar->openCalendar(); });
            });
    }
};

}  // namespace

std::size_t CalendarPage::rowCount(double width) { return width < IslandLayout::wideExpandedWidth ? 3 : 4; }

View CalendarPage::body(Context& ctx) const {
    CalendarService& calendar = ctx.object<CalendarService>();
    ctx.observe(LivePreview::shared());
    ctx.observe(AppSettings::shared());
    switch (calendar.access.get()) {
        case CalendarService::Access::unknown: return accessPrompt(calendar);
        case CalendarService::Access::denied:
            // The calendars come from Evolution Data Server; without it there are none to read.
            return empty("calendar.badge.exclamationmark",
                         "Instala Evolution Data Server para ver tus calendarios");
        case CalendarService::Access::granted: break;
    }
    const auto& events = calendar.events.get();
    if (events.empty()) return empty("calendar.badge.checkmark", "No tienes más eventos hoy");
    const auto count =
        static_cast<std::ptrdiff_t>(std::min(events.size(), rowCount(IslandLayout::expandedWidth())));
    return EventList{{events.begin(), events.begin() + count}, &calendar};
}

}  // namespace quorlix
