#include "services/calendar_service.h"

#include <unicode/timezone.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quorlix
