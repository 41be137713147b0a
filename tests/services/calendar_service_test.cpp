#include "services/calendar_service.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"

#include <unicode/timezone.h>

#include <gtest/gtest.h>

#include <memory>

namespace quorlix {
namespace {

class CalendarRelativeTest : public ::testing::Test {
protected:
    // 2027-01-15 08:00:00 UTC, a Friday.
    const Date now{1'800'000'000};

    void SetUp() override { icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("UTC")); }
    void TearDown() override { icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone()); }

    std::string relativeIn(double seconds) const {
        UpcomingEvent event;
        event.start = now.addingTimeInterval(seconds);
        event.end = event.start.addingTimeInterval(1800);
        return CalendarService::relative(event, now);
    }
};

TEST_F(CalendarRelativeTest, StartedEventsReadNow) {
    EXPECT_EQ(relativeIn(0), "Ahora");
    EXPECT_EQ(relativeIn(-90 * 60), "Ahora");
}

TEST_F(CalendarRelativeTest, MinutesAreRoundedUpUnderAnHour) {
    EXPECT_EQ(relativeIn(30), "En 1 min");
    EXPECT_EQ(relativeIn(5 * 60), "En 5 min");
    EXPECT_EQ(relativeIn(6 * 60 + 1), "En 7 min");
    EXPECT_EQ(relativeIn(58 * 60 + 30), "En 59 min");
}

TEST_F(CalendarRelativeTest, LaterEventsReadAsClockTimes) {
    // 59 min 30 s rounds up to 60 minutes: a clock time, today's without a weekday.
    EXPECT_EQ(relativeIn(59 * 60 + 30), "8:59 a.\u00a0m.");
    EXPECT_EQ(relativeIn(6 * 3600), "2:00 p.\u00a0m.");
    EXPECT_EQ(relativeIn(29 * 3600), "sáb 1:00 p.\u00a0m.");
}

TEST_F(CalendarRelativeTest, TodayFollowsTheTimeZone) {
    // 17:00 in Mexico City (23:00 UTC) and an event at 22:00 there (04:00 UTC the next day):
    // the same day where the user is.
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("America/Mexico_City"));
    const Date afternoon{1'800'000'000 + 15 * 3600};
    UpcomingEvent event;
    event.start = afternoon.addingTimeInterval(5 * 3600);
    EXPECT_EQ(CalendarService::relative(event, afternoon), "10:00 p.\u00a0m.");
}

// --- the service on a fake calendar store ---------------------------------------------------

using platform::CalendarAuthorization;
using Access = CalendarService::Access;

class CalendarServiceTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeCalendarStore& store = fake.calendarStore;
    std::unique_ptr<CalendarService> service;
    std::vector<std::string> reminders;  // ids, in the order reminded

    void SetUp() override {
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("UTC"));
        store.status = CalendarAuthorization::fullAccess;
    }
    void TearDown() override { icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone()); }

    // The clock reads 2027-01-15 08:16:40 UTC.
    Date now() const { return fake.time.clock.date(); }
    AppSettings& settings() { return AppSettings::shared(); }

    platform::CalendarEvent timed(std::string identifier, double startsIn, double lasts = 1800) const {
        platform::CalendarEvent e;
        e.identifier = std::move(identifier);
        e.title = e.identifier;
        e.start = now().addingTimeInterval(startsIn);
        e.end = e.start.addingTimeInterval(lasts);
        return e;
    }
    void start() {
        service = std::make_unique<CalendarService>();
        service->onReminder = [this](const UpcomingEvent& e) { reminders.push_back(e.id); };
        service->start();
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const auto& e : service->events.get()) out.push_back(e.title);
        return out;
    }
    std::size_t reloads() const { return store.spans.size(); }
};

TEST_F(CalendarServiceTest, ListsTimedEventsUnderWayFirstAndAtMostFour) {
    auto allDay = timed("feriado", -8 * 3600, 86400);
    allDay.isAllDay = true;
    store.all = {timed("e", 7200), allDay,           timed("c", 3600),           timed("pasada", -3000, 2400),
                 timed("d", 3600), timed("f", 9000), timed("junta", -5400, 7200)};
    start();
    EXPECT_EQ(service->access.get(), Access::granted);
    // The meeting under way comes first; "c" and "d" start together and keep the store's
    // order; the all-day event, the one that ended and the latest one are left out.
    EXPECT_EQ(titles(), (std::vector<std::string>{"junta", "c", "d", "e"}));
    EXPECT_EQ(CalendarService::relative(service->events.get()[0], now()), "Ahora");

    // From an hour ago to midnight at the end of tomorrow.
    ASSERT_EQ(store.spans.size(), 1u);
    EXPECT_EQ(store.spans[0].first, now().addingTimeInterval(-3600));
    EXPECT_EQ(store.spans[0].second, Date(1'800'144'000));
}

TEST_F(CalendarServiceTest, EventFieldsAndIds) {
    auto untitled = timed("A1B2", 600.25);
    untitled.title = std::nullopt;
    untitled.location = "Sala 3";
    auto empty = timed("C3", 1200);
    empty.title = "";
    empty.color = platform::CalendarColor{1, 0, 0};
    store.all = {untitled, empty};
    start();
    const auto& events = service->events.get();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].id, "A1B21800001600.25");
    EXPECT_EQ(events[0].title, "Evento");
    EXPECT_EQ(events[0].location, "Sala 3");
    EXPECT_EQ(events[0].color, CalendarService::defaultColor);
    EXPECT_EQ(events[1].id, "C31800002200.0") << "a whole second ends in a point and a zero";
    EXPECT_EQ(events[1].title, "");
    EXPECT_FALSE(events[1].location.has_value());
    EXPECT_EQ(events[1].color, (RGBA{1, 0, 0, 1}));

    // Two occurrences of one repeating event differ by their start.
    EXPECT_NE(CalendarService::eventID("R", Date(1'800'000'000)),
              CalendarService::eventID("R", Date(1'800'086'400)));
}

TEST_F(CalendarServiceTest, AccessFollowsTheStatusAtStart) {
    const std::pair<CalendarAuthorization, Access> cases[] = {
        {CalendarAuthorization::denied, Access::denied},
        {CalendarAuthorization::restricted, Access::denied},
        {CalendarAuthorization::notDetermined, Access::unknown},
        {CalendarAuthorization::writeOnly, Access::unknown},
    };
    store.all = {timed("x", 600)};
    for (const auto& [status, access] : cases) {
        store.status = status;
        start();
        EXPECT_EQ(service->access.get(), access);
        EXPECT_TRUE(service->events->empty());
        service->reload();
        EXPECT_EQ(reloads(), 0u) << "nothing is read without access";
    }
    // A store that learns its permission after the start tells it as a change; a refusal stays.
    for (const auto& [status, access, listed] :
         {std::tuple(CalendarAuthorization::notDetermined, Access::granted, std::vector<std::string>{"x"}),
          {CalendarAuthorization::denied, Access::denied, {}}}) {
        store.status = status;
        start();
        store.status = CalendarAuthorization::fullAccess;
        store.change();
        EXPECT_EQ(service->access.get(), access);
        EXPECT_EQ(titles(), listed);
    }
}

TEST_F(CalendarServiceTest, RequestingAccessOnlyWhileUnknown) {
    store.status = CalendarAuthorization::notDetermined;
    store.all = {timed("x", 600)};
    start();
    service->requestAccess();
    ASSERT_EQ(store.accessRequests.size(), 1u);
    store.answer(true);
    EXPECT_EQ(service->access.get(), Access::granted);
    EXPECT_EQ(titles(), std::vector<std::string>{"x"});
    service->requestAccess();
    EXPECT_TRUE(store.accessRequests.empty());

    start();
    service->requestAccess();
    store.answer(false);
    EXPECT_EQ(service->access.get(), Access::denied);
    service->requestAccess();
    EXPECT_TRUE(store.accessRequests.empty()) << "never asks again";
}

TEST_F(CalendarServiceTest, StoreChangesReload) {
    start();
    EXPECT_TRUE(service->events->empty());
    store.all = {timed("nuevo", 600)};
    store.change();
    EXPECT_EQ(titles(), std::vector<std::string>{"nuevo"});
}

TEST_F(CalendarServiceTest, RemindsAtTheLeadTimeBeforeTheStart) {
    settings().calendarReminderMinutes = 5;
    store.all = {timed("a", 20 * 60)};
    start();
    fake.time.advance(15 * 60 - 1);
    EXPECT_TRUE(reminders.empty());
    fake.time.advance(1);
    EXPECT_EQ(reminders, std::vector<std::string>{service->events.get()[0].id});
}

TEST_F(CalendarServiceTest, EventInsideTheLeadTimeIsRemindedAtOnceAndOnlyOnce) {
    store.all = {timed("a", 3 * 60)};
    start();
    fake.time.runPending();
    ASSERT_EQ(reminders.size(), 1u);
    store.change();
    service->reload();
    fake.time.advance(60);
    EXPECT_EQ(reminders.size(), 1u);

    // Moved to a later time, it is a new event and is reminded again before its new start.
    store.all = {timed("a", 30 * 60)};
    store.change();
    fake.time.advance(25 * 60);
    ASSERT_EQ(reminders.size(), 2u);
    EXPECT_NE(reminders[0], reminders[1]);
}

TEST_F(CalendarServiceTest, TurningRemindersOffCancelsThePendingOne) {
    store.all = {timed("a", 20 * 60)};
    start();
    settings().calendarReminders = false;
    service->reload();
    fake.time.advance(20 * 60);
    EXPECT_TRUE(reminders.empty());
}

TEST_F(CalendarServiceTest, EventsAtTheSameTimeAreRemindedOneAfterTheOther) {
    store.all = {timed("segundo", 10 * 60), timed("primero", 10 * 60)};
    start();
    service->onReminder = [&](const UpcomingEvent& e) { reminders.push_back(e.title); };
    fake.time.advance(5 * 60);
    EXPECT_EQ(reminders, (std::vector<std::string>{"segundo", "primero"}));
}

TEST_F(CalendarServiceTest, ReminderWaitKeepsCountingWhileAsleep) {
    store.all = {timed("a", 20 * 60)};
    start();
    fake.time.suspend(10 * 60);
    fake.time.advance(5 * 60);
    EXPECT_EQ(reminders.size(), 1u);
}

TEST_F(CalendarServiceTest, RefreshFollowsTheNextStartOrEndButNeverWithin30Seconds) {
    store.all = {timed("pronto", 10)};
    start();
    fake.time.advance(29);
    EXPECT_EQ(reloads(), 1u);
    fake.time.advance(1);
    EXPECT_EQ(reloads(), 2u) << "30 s, not 11";

    // Now under way: the next change is its end at +1810; the list follows one second later.
    fake.time.advance(1780);
    EXPECT_EQ(reloads(), 2u);
    fake.time.advance(1);
    EXPECT_EQ(reloads(), 3u);

    // Over: nothing listed, nothing pending.
    EXPECT_TRUE(service->events->empty());
    fake.time.advance(86400);
    EXPECT_EQ(reloads(), 3u);
}

TEST_F(CalendarServiceTest, OpensTheCalendarApplicationWhenThereIsOne) {
    start();
    service->openCalendar();
    EXPECT_TRUE(fake.workspace.opened.empty());
    store.application = "/usr/share/applications/org.gnome.Calendar.desktop";
    service->openCalendar();
    EXPECT_EQ(fake.workspace.opened, std::vector<std::string>{*store.application});
}

}  // namespace
}  // namespace quorlix
