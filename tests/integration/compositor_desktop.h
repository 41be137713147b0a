#pragma once
// A desktop whose compositor the test starts itself (weston, GNOME Shell) on an X server of
// its own, as a user's session has it: PulseAudio first, then the X server with a session bus
// and fresh folders. Quorlix runs on the X display the compositor serves (its own X11 session,
// or the XWayland it starts), for a user who has finished onboarding.

#include "desktop_session.h"
#include "platform/private_pulse_server.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

namespace quorlix::testing {

class CompositorDesktop : public ::testing::Test {
protected:
    // Made first: it points HOME and the runtime folder at its own, which the session overrides.
    std::optional<PrivatePulseServer> pulse;
    // The X server the compositor runs on, with the session's bus and folders.
    std::optional<DesktopSession> session;
    std::unique_ptr<ChildProcess> quorlix;

    // Skips the test without one of `programs` (or what a session needs); starts PulseAudio and
    // a session on a screen of `width` by `height`, without a compositing manager.
    void startSession(int width, int height, std::initializer_list<const char*> programs) {
        if (const auto missing = DesktopSession::missingProgram(false))
            GTEST_SKIP() << *missing << " is not installed";
        for (const char* program : programs)
            if (!installed(program)) GTEST_SKIP() << program << " is not installed";
        for (const char* program : {"Xwayland", "pulseaudio", "pactl"})
            if (!installed(program)) GTEST_SKIP() << program << " is not installed";
        pulse.emplace();
        ASSERT_TRUE(pulse->ready());
        session.emplace(std::to_string(width) + "x" + std::to_string(height) + "x24", false);
        ASSERT_TRUE(session->ready());
    }

    // What Quorlix runs on: the X display, its authority file (none: the session's), and the
    // Wayland display when it runs through XWayland.
    struct Target {
        std::string x;
        std::string xauthority;
        std::string wayland;
    };

    // Starts Quorlix on `target` with `settings` as its settings file, once any earlier one has
    // ended; the user has seen onboarding.
    void launch(const Target& target, nlohmann::json settings) {
        quorlix.reset();
        settings["didShowWelcome"] = true;
        std::filesystem::create_directories(session->home.config());
        std::ofstream(session->home.config() / "com.halvik.quorlix.json") << settings.dump();
        const Variable display("DISPLAY", target.x);
        std::optional<Variable> authority, wayland, type;
        if (!target.xauthority.empty()) authority.emplace("XAUTHORITY", target.xauthority);
        if (!target.wayland.empty()) {
            wayland.emplace("WAYLAND_DISPLAY", target.wayland);
            type.emplace("XDG_SESSION_TYPE", "wayland");
        }
        quorlix = session->launch();
    }
};

}  // namespace quorlix::testing
