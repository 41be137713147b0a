// Desktop entries: reading the group we need, the launch command and where entries live.

#include "platform/linux/desktop_entry.h"
#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quorlix::platform {
namespace {

TEST(DesktopEntryTest, ReadsTheDesktopEntryGroupOnly) {
    const auto entry = DesktopEntry::parse(
        "# comment\n[Desktop Entry]\nName=Reproductor\nName[es]=Otro\nExec=player --new %U\nIcon=player\n"
        "[Desktop Action quit]\nExec=player --quit\nIcon=other\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "Reproductor");
    EXPECT_EQ(entry->exec, "player --new %U");
    EXPECT_EQ(entry->icon, "player");
    EXPECT_FALSE(DesktopEntry::parse("[Something Else]\nExec=x\n"));
}

TEST(DesktopEntryTest, CommandUndoesQuotingAndDropsFieldCodes) {
    DesktopEntry entry;
    entry.exec = R"("/opt/my app/bin/play" "--title=Mi \"música\"" %F --rate=50%% %i)";
    // The value's own escapes are undone when the file is read.
    entry = *DesktopEntry::parse("[Desktop Entry]\nExec=" + entry.exec + "\n");
    EXPECT_EQ(entry.command(),
              (std::vector<std::string>{"/opt/my app/bin/play", "--title=Mi \"música\"", "--rate=50%"}));
    entry.exec = "";
    EXPECT_TRUE(entry.command().empty());
}

TEST(DesktopEntryTest, FindsEntriesInTheDataFolders) {
    fakes::TempHome home;
    const auto folder = home.data() / "applications";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "spotify.desktop") << "[Desktop Entry]\nExec=spotify %U\n";
    setenv("XDG_DATA_DIRS", (home.path() / "nowhere").c_str(), 1);
    EXPECT_EQ(DesktopEntry::find("spotify.desktop"), folder / "spotify.desktop");
    EXPECT_FALSE(DesktopEntry::find("missing.desktop"));
    EXPECT_FALSE(DesktopEntry::find("../applications/spotify.desktop"));
    unsetenv("XDG_DATA_DIRS");
}

}  // namespace
}  // namespace quorlix::platform
