// The calendar application is found among the desktop entries, in order of preference.

#include "platform/linux/calendar_application.h"
#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace quorlix::platform {
namespace {

class CalendarApplicationTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_DATA_DIRS", (fake.home.path() / "nowhere").c_str(), 1); }
    void TearDown() override { unsetenv("XDG_DATA_DIRS"); }

    void install(const std::string& desktopID) {
        std::filesystem::create_directories(folder());
        std::ofstream(folder() / desktopID) << "[Desktop Entry]\nExec=calendario\n";
    }
    std::filesystem::path folder() const { return fake.home.data() / "applications"; }

    fakes::FakePlatform fake;
};

TEST_F(CalendarApplicationTest, TheFirstInstalledInOrderOfPreferenceWins) {
    EXPECT_FALSE(installedCalendarApplication());
    install("org.kde.korganizer.desktop");
    EXPECT_EQ(installedCalendarApplication(), (folder() / "org.kde.korganizer.desktop").string());
    install("org.gnome.Calendar.desktop");
    EXPECT_EQ(installedCalendarApplication(), (folder() / "org.gnome.Calendar.desktop").string());
}

}  // namespace
}  // namespace quorlix::platform
