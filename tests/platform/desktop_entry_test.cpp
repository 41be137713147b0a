// Desktop entries: reading the group we need, the launch command and where entries live.

#include "platform/linux/desktop_entry.h"
#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "platform/linux/url_scheme_handler.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quorlix::platform {
namespace {

namespace fs = std::filesystem;

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

// Paths as the desktop stores them, this system's own reader reading them back.
const std::string awkwardPaths[] = {
    "/opt/Quorlix/quorlix",
    "/home/ana/Mis aplicaciones/Quorlix/quorlix",
    R"(/tmp/a"b$c`d\e'f%g)",
    "/tmp/línea\nnueva\ty tab/quorlix",
};

TEST(DesktopEntryTest, AProgramsPathIsQuotedOnlyWhereTheEntryRulesAskAndReadsBackWhole) {
    // A plain path stands bare, as xdg-open without a desktop needs it.
    EXPECT_EQ(DesktopEntry::execArgument("/opt/Quorlix/quorlix"), "/opt/Quorlix/quorlix");
    EXPECT_EQ(DesktopEntry::execArgument("/opt/Quorlix 2/quorlix"), "\"/opt/Quorlix 2/quorlix\"");
    for (const std::string& path : awkwardPaths) {
        SCOPED_TRACE(path);
        const std::string value = DesktopEntry::execArgument(path);
        EXPECT_EQ(value.find('\n'), std::string::npos);
        const auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + value + " %u\n");
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->command(), std::vector<std::string>{path});
    }
}

// The entry of quorlix:// addresses opened by the real xdg-open, the command the README gives,
// with a program of the test's own in Quorlix's place that writes down its arguments. Without
// a desktop named, xdg-open reads the entry itself and runs the Exec line's first word as it
// stands; a GNOME session's opener (GLib's) follows the entry rules, quoting and escapes.
TEST(DesktopEntryTest, XdgOpenHandsTheAddressToTheProgramTheEntryNames) {
    for (const char* program : {"xdg-open", "xdg-mime", "env"})
        if (!testing::installed(program)) GTEST_SKIP() << program << " is not installed";
    testing::QtApplicationMember app;
    fakes::TempHome home;
    // The registration's own xdg-mime keeps to the plain mimeapps.list.
    testing::Variable generic("XDG_CURRENT_DESKTOP", "X-Generic");
    const fs::path said = home.path() / "said";
    const fs::path none = home.path() / "none";
    fs::create_directories(none);
    const std::string url = "quorlix://agent?agent=claude&event=working";
    struct Case {
        const char* folder;
        const char* desktop;
    };
    const Case cases[] = {
        {"Quorlix", nullptr},
        // GLib looks for a program named with "%%" as written, so no "%" here.
        {R"(Mis "apps" de José's $HOME\ (copia))", "GNOME"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        if (c.desktop && !testing::installed("gio")) continue;
        const fs::path program = home.path() / c.folder / "quorlix";
        ASSERT_FALSE(writeFileAtomically(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$SAID\"\n",
                                         {.newFileMode = fs::perms(0755)}));
        ASSERT_TRUE(UrlSchemeHandler::registerExecutable(program));
        const fs::path associations = home.config() / "mimeapps.list";
        ASSERT_TRUE(testing::waitFor([&] {
            return readFile(associations)
                       .value_or("")
                       .find("x-scheme-handler/quorlix=com.halvik.quorlix.desktop") != std::string::npos;
        })) << "xdg-mime did not make the entry the scheme's handler";

        // Nothing of the test's own session reaches xdg-open: no bus, no display, no browser,
        // and the system's own entries out of sight.
        std::vector<std::string> command{"env",
                                         "-i",
                                         "HOME=" + (home.path() / "home").string(),
                                         "XDG_CONFIG_HOME=" + home.config().string(),
                                         "XDG_DATA_HOME=" + home.data().string(),
                                         "XDG_CONFIG_DIRS=" + none.string(),
                                         "XDG_DATA_DIRS=" + none.string(),
                                         "PATH=/usr/bin:/bin",
                                         "WAYLAND_DISPLAY=quorlix-test-none",
                                         "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quorlix-test-bus",
                                         "BROWSER=false",
                                         "GIO_USE_VFS=local",
                                         "SAID=" + said.string()};
        if (c.desktop) command.push_back(std::string("XDG_CURRENT_DESKTOP=") + c.desktop);
        command.insert(command.end(), {"xdg-open", url});
        fs::remove(said);
        const std::string log =
            (home.path() / (std::string("xdg-open-") + (c.desktop ? c.desktop : "none"))).string();
        testing::ChildProcess open(
            command, {{1, log, O_WRONLY | O_CREAT | O_APPEND}, {2, log, O_WRONLY | O_CREAT | O_APPEND}});
        ASSERT_TRUE(testing::waitFor([&] { return !open.running(); }));
        EXPECT_EQ(open.exitStatus(), 0) << open.report();
        // GLib's launcher (GNOME) may return before the program it started has written.
        EXPECT_TRUE(testing::waitFor([&] { return readFile(said).value_or("").ends_with('\n'); }));
        EXPECT_EQ(readFile(said), url + "\n");
    }
}

}  // namespace
}  // namespace quorlix::platform
