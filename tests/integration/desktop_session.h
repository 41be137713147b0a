#pragma once
// What the tests of Quorlix as a desktop application share: a user's session of the test's
// own (an X server, fresh folders, a bus), programs run to their end, and files they write.

#include "platform/child_process.h"
#include "platform/private_bus.h"
#include "platform/virtual_display.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::testing {

// The program the desktop tests start: $QUORLIX_TEST_PROGRAM when set (another build of it,
// such as the Release build users run), else the one built with these tests.
inline std::string quorlixProgram() {
    const char* program = std::getenv("QUORLIX_TEST_PROGRAM");
    return program && *program ? program : QUORLIX_EXECUTABLE;
}

// Runs a program to its end; its exit status, or -1 when it could not run or was ended by a
// signal. `peers` are watched meanwhile.
inline int run(const std::vector<std::string>& arguments, const std::vector<Peer*>& peers = {}) {
    ChildProcess program(arguments);
    if (!waitFor([&] { return !program.running(); }, peers)) return -1;
    return program.exitStatus().value_or(-1);
}

// The first line of a file, once a program has written all of it.
inline std::optional<std::string> firstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    if (std::getline(in, line) && !in.eof()) return line;
    return std::nullopt;
}

// The whole text of a file a program wrote; empty when there is none.
inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A user's session for the real program: an X server (with a compositing manager unless told
// otherwise), fresh HOME and XDG folders, and a private bus that stands for both the session
// and the system bus, so nothing of the machine's own desktop reaches the test. The
// environment of the programs started meanwhile is set for the object's life; every wait
// watches the X server, the bus and the compositing manager.
class DesktopSession {
public:
    // The programs a session runs, for a test to skip without them.
    static std::optional<std::string> missingProgram(bool compositing = true) {
        for (const char* program : {"Xvfb", "xdotool", "dbus-daemon", "xcompmgr"}) {
            if (!compositing && std::string(program) == "xcompmgr") continue;
            if (!installed(program)) return program;
        }
        return std::nullopt;
    }

    // `serverOptions` go to the X server.
    explicit DesktopSession(const std::string& screen, bool compositing = true,
                            const std::vector<std::string>& serverOptions = {})
        : display(screen, serverOptions) {
        if (!display.ready() || !bus.ready()) return;
        const std::filesystem::path runtime = home.path() / "runtime";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        set("DISPLAY", display.name());
        set("QT_QPA_PLATFORM", "xcb");
        set("XDG_RUNTIME_DIR", runtime.string());
        set("DBUS_SESSION_BUS_ADDRESS", bus.address());
        set("DBUS_SYSTEM_BUS_ADDRESS", bus.address());
        // The X keyboard library Qt loads reads past the end of a string the strict checks
        // reject, and the session bus library leaves memory at exit: neither is ours.
        set("ASAN_OPTIONS", "detect_leaks=0");
        if (!compositing) {
            compositing_ = ::testing::AssertionSuccess();
            return;
        }
        compositor
            .emplace(std::vector<std::string>{"xcompmgr"},
                     std::vector<ChildProcess::Open>{
                         {1, "/dev/null", O_WRONLY},
                         {2, (home.path() / "xcompmgr.log").string(), O_WRONLY | O_CREAT | O_TRUNC}})
            .watch();
        // The program asks at start whether windows are composited: the manager must be there.
        compositing_ = waitFor([&] { return compositingManagerRuns(); });
    }

    // A failed test shows the end of what the program said.
    ~DesktopSession() {
        if (!::testing::Test::HasFailure()) return;
        std::ifstream in(output(), std::ios::binary);
        std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        constexpr std::size_t kept = 8000;
        if (said.size() > kept) said = "[...]" + said.substr(said.size() - kept);
        if (!said.empty()) std::cerr << "What Quorlix said:\n" << said << '\n';
    }

    // Whether the session came up, and why not.
    ::testing::AssertionResult ready() const {
        if (!display.ready()) return display.ready();
        if (!bus.ready()) return bus.ready();
        return compositing_;
    }

    // Starts the real program, its output and errors kept in quorlix.out; unless `mayEnd`,
    // every later wait watches it.
    std::unique_ptr<ChildProcess> launch(const std::vector<std::string>& arguments = {quorlixProgram()},
                                         bool mayEnd = false) const {
        const std::string log = output().string();
        auto program = std::make_unique<ChildProcess>(
            arguments, std::vector<ChildProcess::Open>{{1, log, O_WRONLY | O_CREAT | O_APPEND},
                                                       {2, log, O_WRONLY | O_CREAT | O_APPEND}});
        if (!mayEnd) program->watch();
        return program;
    }
    std::filesystem::path output() const { return home.path() / "quorlix.out"; }
    std::filesystem::path runtime() const { return home.path() / "runtime"; }

    VirtualDisplay display;
    // Made after the display, whose own temporary folder it then overrides.
    fakes::TempHome home;
    PrivateBus bus;
    std::optional<ChildProcess> compositor;

private:
    // Whether a compositing manager holds the screen's selection.
    bool compositingManagerRuns() const {
        xcb_connection_t* c = xcb_connect(display.name().c_str(), nullptr);
        bool owned = false;
        if (!xcb_connection_has_error(c)) {
            const char name[] = "_NET_WM_CM_S0";
            auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
            if (atom) {
                auto* owner =
                    xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
                owned = owner && owner->owner != XCB_WINDOW_NONE;
                std::free(owner);
                std::free(atom);
            }
        }
        xcb_disconnect(c);
        return owned;
    }

    void set(const char* name, const std::string& value) {
        variables_.push_back(std::make_unique<Variable>(name, value));
    }
    std::vector<std::unique_ptr<Variable>> variables_;
    ::testing::AssertionResult compositing_ = ::testing::AssertionFailure() << "the session did not start";
};

// The socket a running Quorlix listens on for later launches, under the runtime folder.
inline std::filesystem::path instanceSocket(const std::filesystem::path& runtime) {
    return runtime / ("quorlix-" + std::to_string(::getuid())) / "instance";
}

// Starts the settings file of a user who has seen onboarding, so no onboarding window comes.
inline void markWelcomeSeen(const std::filesystem::path& settingsFile) {
    std::filesystem::create_directories(settingsFile.parent_path());
    std::ofstream(settingsFile) << R"({"didShowWelcome": true})";
}

}  // namespace quorlix::testing
