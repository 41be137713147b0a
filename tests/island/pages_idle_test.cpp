// Settled pages draw nothing more: no frame is asked for while nothing changes, but for the
// calendar list's 30-second tick and a running countdown's once-a-second redraw.

#include "island/calendar_page.h"
#include "island/timer_page.h"
#include "island/tray_panel.h"
#include "island/weather_badge.h"
#include "island/weather_page.h"
#include "island_pages_test_support.h"

#include <fstream>

namespace quorlix {
namespace {

using namespace ui;

class PagesIdleTest : public testing::IslandPagesTest {};

TEST_F(PagesIdleTest, OnlyTheCalendarListAndARunningCountdownAskForFrames) {
    const auto path = fake.home.path() / "a.txt";
    std::ofstream(path) << "a";
    struct Case {
        const char* name;
        std::function<void()> setUp;
        std::function<View()> page;
        int framesIn60s;  // once settled
    };
    const auto granted = [this](bool withEvents) {
        calendar.access = CalendarService::Access::granted;
        const Date start = platform::Clock::shared().date().addingTimeInterval(600);
        calendar.events = withEvents ? std::vector<UpcomingEvent>{{"e", "Junta", start, start, false, {}, {}}}
                                     : std::vector<UpcomingEvent>{};
    };
    const std::vector<Case> cases{
        {"weather loading", [] {}, [] { return View(WeatherPage{}); }, 0},
        {"weather",
         [this] {
             weather.temperature = 20;
             weather.high = 25;
             weather.low = 10;
         },
         [] {
             return View(HStack({WeatherPage{}, WeatherBadge{}}));
         },
         0},
        {"calendar asking", [] {}, [] { return View(CalendarPage{}); }, 0},
        {"calendar empty", [=] { granted(false); }, [] { return View(CalendarPage{}); }, 0},
        {"calendar list", [=] { granted(true); }, [] { return View(CalendarPage{}); }, 2},
        {"timer idle", [] {}, [] { return View(TimerPage{}); }, 0},
        {"timer paused",
         [this] {
             timer.start(5);
             timer.pause();
         },
         [] { return View(TimerPage{}); }, 0},
        {"tray empty", [] {}, [] { return View(TrayPanel{.isTargeted = true}); }, 0},
        {"tray", [this, path] { tray.add({path}); }, [] { return View(TrayPanel{.isTargeted = true}); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.setUp();
        showPage(c.page);
        advance(5);
        frames = 0;
        advance(60);
        EXPECT_EQ(frames, c.framesIn60s);
        EXPECT_EQ(host->isFrameScheduled(), c.framesIn60s > 0);
    }

    // A running countdown redraws each second, its ring easing in between; paused, nothing.
    timer.start(5);
    showPage([] { return View(TimerPage{}); });
    advance(5);
    frames = 0;
    advance(10);
    EXPECT_GE(frames, 10);
    EXPECT_LE(frames, 10 * 61);
    timer.pause();
    advance(1);
    frames = 0;
    advance(10);
    EXPECT_EQ(frames, 0);
}

}  // namespace
}  // namespace quorlix
