// The calendar store on Linux: nothing to read, a request answered as refused, and the
// calendar application found among the desktop entries.

#include "platform/linux/unavailable_calendar_store.h"
#include "fakes/fake_platform.h"
#include "services/calendar_service.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace quorlix::platform {
namespace {

class UnavailableCalendarStoreTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_DATA_DIRS", (fake.home.path() / "nowhere").c_str(), 1); }
    void TearDown() override { unsetenv("XDG_DATA_DIRS"); }

    void install(const std::string& desktopID) {
        const auto folder = fake.home.data() / "applications";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / desktopID) << "[Desktop Entry]\nExec=calendario\n";
    }

    fakes::FakePlatform fake;
    UnavailableCalendarStore store;
};

TEST_F(UnavailableCalendarStoreTest, AccessStaysUnknownAndARequestIsRefused) {
    CalendarService calendar(&store, &fake.workspace);
    calendar.start();
    EXPECT_EQ(calendar.access.get(), CalendarService::Access::unknown);
    calendar.requestAccess();
    EXPECT_EQ(calendar.access.get(), CalendarService::Access::unknown) << "answered later, on the main queue";
    fake.time.runPending();
    EXPECT_EQ(calendar.access.get(), CalendarService::Access::denied);
    EXPECT_TRUE(store.events(Date(0), Date(4e9)).empty());
}

TEST_F(UnavailableCalendarStoreTest, FindsTheInstalledCalendarApplication) {
    EXPECT_FALSE(store.calendarApplication());
    install("org.kde.korganizer.desktop");
    const auto folder = fake.home.data() / "applications";
    EXPECT_EQ(store.calendarApplication(), (folder / "org.kde.korganizer.desktop").string());
    install("org.gnome.Calendar.desktop");
    EXPECT_EQ(store.calendarApplication(), (folder / "org.gnome.Calendar.desktop").string());

    CalendarService calendar(&store, &fake.workspace);
    calendar.openCalendar();
    EXPECT_EQ(fake.workspace.opened,
              std::vector<std::string>{(folder / "org.gnome.Calendar.desktop").string()});
}

}  // namespace
}  // namespace quorlix::platform
