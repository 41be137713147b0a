// The swap script itself, started by the real launcher in a temporary tree, against a stub
// process standing for the application: it swaps only once the process is gone, restores the
// old folder when the copy fails, never touches it when the move fails, takes any path as
// one word, and gives up unswapped when the process outlives its wait.

#include "services/update_swap.h"
#include "platform/linux/detached_process_launcher.h"

#include "child_process.h"
#include "fakes/fake_platform.h"
#include "fakes/update_fixtures.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace quorlix::testing {
namespace {

// The arguments a process was started with.
std::vector<std::string> commandLine(const fs::path& process) {
    std::ifstream in(process / "cmdline");
    std::vector<std::string> arguments;
    for (std::string argument; std::getline(in, argument, '\0');) arguments.push_back(argument);
    return arguments;
}

// The process that started a process, or 0.
pid_t parentOf(const fs::path& process) {
    std::ifstream in(process / "stat");
    std::string stat(std::istreambuf_iterator<char>(in), {});
    // "pid (name) state ppid ...": the name may hold anything, up to the last parenthesis.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    pid_t parent = 0;
    rest >> state >> parent;
    return parent;
}

// The shells running the swap script for `process`, and whether one of them is pausing
// between two looks at it: it has found it running.
struct SwapScripts {
    std::vector<pid_t> shells;
    bool pausing = false;
};
SwapScripts swapScripts(pid_t process) {
    SwapScripts found;
    std::vector<pid_t> sleeps;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const auto arguments = commandLine(entry.path());
        const auto script = std::find(arguments.begin(), arguments.end(), "quorlix-update");
        if (script != arguments.end() && script + 1 != arguments.end() && script[1] == std::to_string(process))
            found.shells.push_back(std::stoi(name));
        else if (!arguments.empty() && arguments[0] == "sleep")
            sleeps.push_back(parentOf(entry.path()));
    }
    for (const pid_t parent : sleeps)
        if (std::find(found.shells.begin(), found.shells.end(), parent) != found.shells.end()) found.pausing = true;
    return found;
}

// A program that leaves a marker with its tag beside its application folder.
std::string stub(const std::string& tag) {
    return "#!/bin/sh\necho " + tag + " > \"$(dirname \"$0\")/../launched\"\n";
}

class UpdateSwapTest : public ::testing::Test {
protected:
    // An application folder "Quorlix" at version 1.0 in `parent`, and a staged 2.0 in the
    // work folder.
    void makeTree(const fs::path& parent) {
        app = parent / "Quorlix";
        writeApplication(app, "1.0", stub("old"));
        work = root / "work";
        staged = work / "QuorlixUpdate-1" / "Quorlix";
        writeApplication(staged, "2.0", stub("new"));
    }

    // Starts the swap, from `root` as the current folder, waiting for `process`.
    void swap(pid_t process, int exitWait = 60) {
        const char* previous = ::getcwd(cwd_, sizeof cwd_);
        ASSERT_NE(previous, nullptr);
        ASSERT_EQ(::chdir(root.c_str()), 0);
        const SwapPlan plan{process, app, staged, work, exitWait};
        const auto error =
            platform::DetachedProcessLauncher().launchDetached(Swap::shell, Swap::arguments(plan));
        ASSERT_EQ(::chdir(cwd_), 0);
        ASSERT_FALSE(error) << *error;
    }

    // The tag of the program the script started, once it has.
    std::string launched() {
        const fs::path marker = app.parent_path() / "launched";
        if (!waitUntil([&] { return !readText(marker).empty(); })) return "";
        return readText(marker);
    }

    fakes::TempHome home;
    fs::path root = fs::canonical(home.path());
    fs::path app, work, staged;
    ChildProcess running{{"sleep", "60"}};

private:
    char cwd_[4096];
};

TEST_F(UpdateSwapTest, TheNewFolderReplacesTheOldOnceTheProcessHasEnded) {
    ASSERT_TRUE(running.started());
    const std::vector<std::string> parents = {"Applications", "Aplicaciones de Ana's $(touch x)\ny más"};
    for (const auto& parent : parents) {
        makeTree(root / parent);
        ChildProcess application({"sleep", "60"});
        swap(application.pid());
        ASSERT_TRUE(waitUntil([&] { return swapScripts(application.pid()).pausing; }))
            << "the script never waited for the process";
        EXPECT_EQ(AppInfo::read(app)->version, "1.0") << "nothing moves while the process runs";

        application.stop();
        EXPECT_EQ(launched(), "new\n") << parent;
        EXPECT_EQ(AppInfo::read(app)->version, "2.0");
        EXPECT_EQ(fs::status(app / "quorlix").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
        EXPECT_FALSE(fs::exists(Swap::oldFolder(app)));
        EXPECT_FALSE(fs::exists(work));
        EXPECT_FALSE(fs::exists(root / "x")) << "a name is never run";
    }
}

TEST_F(UpdateSwapTest, AFailedCopyBringsTheOldFolderBack) {
    makeTree(root / "Applications");
    fs::remove_all(staged);  // nothing to copy
    swap(running.pid());
    running.stop();
    EXPECT_EQ(launched(), "old\n");
    EXPECT_EQ(AppInfo::read(app)->version, "1.0");
    EXPECT_TRUE(fs::exists(app / "resources" / "Sounds" / "timbre.wav"));
    EXPECT_FALSE(fs::exists(Swap::oldFolder(app)));
    EXPECT_FALSE(fs::exists(work));
}

TEST_F(UpdateSwapTest, AFailedMoveOrAStaleOldFolderLeavesTheApplicationUntouched) {
    // Commands that fail as a full or read-only disk would make them fail, whoever runs the
    // test (root may remove anything).
    const fs::path bin = root / "bin";
    writeFile(bin / "mv", "#!/bin/sh\nexit 1\n", fs::perms(0755));
    writeFile(bin / "rm",
              "#!/bin/sh\nfor a; do case \"$a\" in *.old) exit 1;; esac; done\nexec /bin/rm \"$@\"\n",
              fs::perms(0755));
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";

    struct Case {
        const char* name;
        std::string hidden;  // the stub command that is not in the way
    };
    for (const Case& c : {Case{"the move fails", "rm"}, Case{"an old folder that cannot be removed", "mv"}}) {
        fs::remove_all(root / "Applications");
        makeTree(root / "Applications");
        writeFile(Swap::oldFolder(app) / "stale", "x");
        const auto before = listing(app);
        fs::rename(bin / c.hidden, bin / (c.hidden + ".off"));
        ChildProcess application({"sleep", "60"});
        {
            ScopedEnvironment stubs("PATH", bin.string() + ":" + path);
            swap(application.pid());
        }
        application.stop();
        EXPECT_EQ(launched(), "old\n") << c.name;
        EXPECT_EQ(AppInfo::read(app)->version, "1.0") << c.name;
        EXPECT_EQ(listing(app), before) << c.name;
        EXPECT_FALSE(fs::exists(app / "Quorlix")) << c.name << ": never moved into itself";
        EXPECT_FALSE(fs::exists(Swap::oldFolder(app) / "Quorlix"))
            << c.name << ": never moved into the old folder";
        fs::rename(bin / (c.hidden + ".off"), bin / c.hidden);
    }
}

TEST_F(UpdateSwapTest, AProcessThatOutlivesTheWaitIsLeftAlone) {
    makeTree(root / "Applications");
    swap(running.pid(), 1);
    EXPECT_TRUE(waitUntil([&] { return !fs::exists(work); }));
    // It has given up once it has ended.
    EXPECT_TRUE(waitUntil([&] { return swapScripts(running.pid()).shells.empty(); }));
    EXPECT_TRUE(running.running());
    EXPECT_EQ(AppInfo::read(app)->version, "1.0");
    EXPECT_FALSE(fs::exists(app.parent_path() / "launched"));
}

}  // namespace
}  // namespace quorlix::testing
