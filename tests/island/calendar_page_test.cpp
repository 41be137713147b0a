// The calendar page over the calendar service on the fake calendar store.

#include "island/calendar_page.h"
#include "island_pages_test_support.h"

namespace quorlix {
namespace {

using namespace ui;

class CalendarPageTest : public testing::IslandPagesTest {
protected:
    Date now() { return platform::Clock::shared().date(); }
    UpcomingEvent event(std::string title, double startsIn,
                        std::optional<std::string> location = std::nullopt) {
        const Date start = now().addingTimeInterval(startsIn);
        return {
            title, title, start, start.addingTimeInterval(1800), false, {1, 0, 0, 1}, std::move(location)};
    }
    void list(std::vector<UpcomingEvent> events) {
        calendar.access = CalendarService::Access::granted;
        calendar.events = std::move(events);
        advance(0);
    }
    // The second line under a title: the texts between it and its time.
    std::size_t lines(std::string_view title) {
        const auto* row = find([&](const DisplayItem& i) {
            return std::string_view(i.role) == "HStack" && i.findText(title) != nullptr &&
                   i.children.size() == 4;
        });
        return row ? row->findAll([](auto& i) { return i.kind == DisplayItem::Kind::text; }).size() - 1 : 0;
    }
};

TEST_F(CalendarPageTest, ThePageAsksOnceThenFollowsTheAnswer) {
    showPage([] { return View(CalendarPage{}); });
    EXPECT_NE(shown().findSymbol("calendar"), nullptr);
    EXPECT_EQ(texts(), std::vector<std::string>{"Mostrar mis eventos"});
    EXPECT_TRUE(fake.calendarStore.accessRequests.empty()) << "not before the click";
    clickText("Mostrar mis eventos");
    EXPECT_EQ(fake.calendarStore.accessRequests.size(), 1u);

    fake.calendarStore.answer(false);
    advance(0);
    EXPECT_NE(shown().findSymbol("calendar.badge.exclamationmark"), nullptr);
    EXPECT_NE(shown().findText("Instala Evolution Data Server para ver tus calendarios"), nullptr);
    click({150, 60}, 2);
    EXPECT_TRUE(fake.workspace.opened.empty());

    list({});
    EXPECT_NE(shown().findSymbol("calendar.badge.checkmark"), nullptr);
    EXPECT_EQ(texts(), std::vector<std::string>{"No tienes más eventos hoy"});
}

TEST_F(CalendarPageTest, RowsByWidthWithTheirLocationsAndTimes) {
    showPage([] { return View(CalendarPage{}); }, {556, 120});
    list({event("Junta", -60, "Sala 2"), event("Café", 45 * 60, ""), event("Dentista", 50 * 60),
          event("Cena", 55 * 60, "Centro")});
    const auto rows = [&] {
        return shown().findAll([](auto& i) { return i.kind == DisplayItem::Kind::shape; }).size();
    };
    EXPECT_EQ(rows(), 3u);
    LivePreview::shared().width = 560;
    advance(0);
    EXPECT_EQ(rows(), 4u);
    LivePreview::shared().width = 559.9;
    advance(0);
    EXPECT_EQ(rows(), 3u);

    EXPECT_EQ(lines("Junta"), 2u);
    EXPECT_EQ(lines("Café"), 1u);  // an empty location is no line
    EXPECT_EQ(lines("Dentista"), 1u);
    EXPECT_EQ(shown().findText("Ahora")->textPaint->color, Color::green);
    EXPECT_EQ(shown().findText("En 45 min")->textPaint->color, Color::white.opacity(0.65));
    EXPECT_EQ(shown().findText("Sala 2")->textPaint->color, Color::white.opacity(0.5));
}

TEST_F(CalendarPageTest, TimesMoveOnWithinThirtySecondsAndTheListIdlesBetweenTicks) {
    showPage([] { return View(CalendarPage{}); });
    list({event("Café", 44 * 60 + 10)});
    EXPECT_NE(shown().findText("En 45 min"), nullptr);
    frames = 0;
    advance(29);
    EXPECT_EQ(frames, 0);
    advance(1);  // the minute passed 20 s ago
    EXPECT_NE(shown().findText("En 44 min"), nullptr);
    advance(600);
    EXPECT_NE(shown().findText("En 34 min"), nullptr);
    EXPECT_LE(frames, 21);
}

TEST_F(CalendarPageTest, ADoubleClickAnywhereOnTheListOpensTheCalendar) {
    fake.calendarStore.application = "/usr/share/applications/org.gnome.Calendar.desktop";
    showPage([] { return View(CalendarPage{}); });
    list({event("Junta", 600)});
    click({150, 110});  // below the rows
    clickText("Junta");
    EXPECT_TRUE(fake.workspace.opened.empty());
    click({150, 110}, 2);
    EXPECT_EQ(fake.workspace.opened, std::vector<std::string>{*fake.calendarStore.application});
}

}  // namespace
}  // namespace quorlix
