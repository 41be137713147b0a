#include "services/calendar_service.h"

#include "foundation/app_settings.h"
#include "platform/main_queue.h"
#include "platform/platform.h"
#include "services/date_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quorlix {

using platform::CalendarAuthorization;

namespace {
Date now() { return platform::Clock::shared().date(); }
}  // namespace

CalendarService::CalendarService()
    : CalendarService(platform::installed().calendarStore, platform::installed().workspace) {}

CalendarService::CalendarService(platform::CalendarStore* store, platform::Workspace* workspace)
    : store_(store), workspace_(workspace) {}

void CalendarService::start() {
    if (!store_) return;
    storeChanges_ = store_->changed.connect([this] {
        if (access == Access::unknown)
            readAuthorization();
        else
            reload();
    });
    readAuthorization();
}

void CalendarService::readAuthorization() {
    switch (store_->authorizationStatus()) {
        case CalendarAuthorization::restricted:
        case CalendarAuthorization::denied: access = Access::denied; break;
        case CalendarAuthorization::fullAccess:
            access = Access::granted;
            reload();
            break;
        case CalendarAuthorization::notDetermined:
        case CalendarAuthorization::writeOnly: break;
    }
}

void CalendarService::reload() {
    if (access != Access::granted || !store_) return;
    const Date current = now();
    const Date end = startOfDay(current, 2).value_or(current);

    std::vector<platform::CalendarEvent> kept;
    for (auto& event : store_->events(current.addingTimeInterval(-lookBehind), end)) {
        // An event under way stays until it ends.
        if (event.end > current && !event.isAllDay) kept.push_back(std::move(event));
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const auto& a, const auto& b) { return a.start < b.start; });
    if (kept.size() > maximumEvents) kept.resize(maximumEvents);

    std::vector<UpcomingEvent> upcoming;
    for (auto& event : kept) {
        const RGBA color =
            event.color ? RGBA{event.color->red, event.color->green, event.color->blue, 1} : defaultColor;
        upcoming.push_back({eventID(event.identifier, event.start), event.title.value_or("Evento"),
                            event.start, event.end, event.isAllDay, color, std::move(event.location)});
    }
    events = std::move(upcoming);
    scheduleReminder();
    scheduleRefresh();
}

void CalendarService::requestAccess() {
    if (access != Access::unknown) return;
    if (!store_) {
        access = Access::denied;
        return;
    }
    store_->requestFullAccess(lifetime_.guard([this](bool granted) {
        if (granted) {
            access = Access::granted;
            reload();
        } else {
            access = Access::denied;
        }
    }));
}

void CalendarService::openCalendar() {
    if (!store_ || !workspace_) return;
    if (const auto application = store_->calendarApplication()) workspace_->openApplication(*application);
}

void CalendarService::scheduleReminder() {
    reminderTask.cancel();
    const auto& settings = AppSettings::shared();
    if (!settings.calendarReminders.get()) return;
    const double lead = settings.calendarReminderMinutes.get() * 60;
    const Date current = now();
    const auto& list = events.get();
    const auto next = std::find_if(list.begin(), list.end(), [&](const UpcomingEvent& e) {
        return e.start > current && !reminded.contains(e.id);
    });
    if (next == list.end()) return;
    // Inside the lead time already: a wait of 0, so it is reminded at once.
    const double delay = next->start.timeIntervalSince(current) - lead;
    reminderTask = platform::MainQueue::shared().afterUptime(delay, [this, event = *next] {
        reminded.insert(event.id);
        if (onReminder) onReminder(event);
        scheduleReminder();
    });
}

void CalendarService::scheduleRefresh() {
    refreshTask.cancel();
    const auto& list = events.get();
    if (list.empty()) return;
    const Date current = now();
    Date next = list.front().start > current ? list.front().start : list.front().end;
    for (const auto& e : list) next = std::min(next, e.start > current ? e.start : e.end);
    const double delay = std::max(next.timeIntervalSince(current) + 1.0, minimumRefreshDelay);
    refreshTask = platform::MainQueue::shared().afterUptime(delay, [this] { reload(); });
}

std::string CalendarService::relative(const UpcomingEvent& event, Date now) {
    if (event.start <= now) return "Ahora";
    const auto minutes = static_cast<long long>(std::ceil(event.start.timeIntervalSince(now) / 60));
    if (minutes <= 59) return "En " + std::to_string(minutes) + " min";
    return formatDate(event.start, isSameDay(event.start, now) ? "h:mm a" : "EEE h:mm a", "es_MX", true);
}

std::string CalendarService::eventID(const std::string& identifier, Date start) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, start.secondsSince1970, std::chars_format::fixed);
    std::string seconds = result.ec == std::errc() ? std::string(buffer, result.ptr) : "0";
    if (seconds.find('.') == std::string::npos) seconds += ".0";
    return identifier + seconds;
}

}  // namespace quorlix
