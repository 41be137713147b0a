#pragma once
// A desktop whose compositor the test starts itself (weston, GNOME Shell) on an X server of
// its own, as a user's session has it: PulseAudio first, then the X server with a session bus
// and fresh folders. Quorlix runs on the X display the compositor serves (its own X11 session,
// or the XWayland it starts), for a user who has finished onboarding.

#include "desktop_session.h"
#include "desktop_windows.h"
#include "platform/private_pulse_server.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <chrono>
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
        screen_ = {0, 0, width, height};
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
        target_ = target;
    }

    // The resting pill, once the screen shows it as `resting` has it: its dark span along `row`
    // and the size of its window, on the X display Quorlix runs on.
    template <class Resting>
    void rememberThePill(int row, Resting resting) {
        QImage picture;
        ASSERT_TRUE(atRest(session->display.name(), screen_, &picture, resting))
            << "the pill never came to rest";
        const auto span = darkSpan(picture, row);
        const auto window = islandWindow();
        ASSERT_TRUE(span && window);
        pill_ = {row, *span, *window};
    }
    // A hand's quick path up the screen from where the pointer is: `moves` moves of `step`
    // points each, 15 ms apart, as a mouse reports them.
    static int quickPathUp(int step, int moves) {
        std::vector<std::string> path{"xdotool"};
        for (int i = 0; i < moves; ++i)
            path.insert(path.end(),
                        {"mousemove_relative", "--", "0", std::to_string(-step), "sleep", "0.015"});
        return run(path);
    }

    // Waits for the pill's row to show the resting pill: the island looks closed.
    ::testing::AssertionResult pillLooksClosed() const {
        return waitFor([&] { return pillSpan() == pill_.span; }, {}, [] {});
    }
    // Reads the pill's row as often as the X server answers until the island's window is the
    // resting pill's again and the row has shown the resting pill for `restingSpan` since: no
    // picture meanwhile as wide as the pill may show it elsewhere. A window that moves before its
    // new picture reaches the screen shows the pill beside its place for a frame.
    ::testing::AssertionResult pillOnlyWhereItRests() const {
        const auto [first, last] = pill_.span;
        std::optional<std::pair<int, int>> elsewhere;
        auto since = std::chrono::steady_clock::now();
        const auto result = waitFor(
            [&] {
                const auto span = pillSpan();
                if (span && std::abs(span->second - span->first - (last - first)) <= 2 &&
                    std::abs(span->first - first) > 1)
                    elsewhere = span;
                if (span != pill_.span || islandWindow() != pill_.window)
                    since = std::chrono::steady_clock::now();
                return std::chrono::steady_clock::now() - since >= restingSpan;
            },
            {}, [] {});
        if (!result || !elsewhere) return result;
        return ::testing::AssertionFailure()
               << "the pill showed at " << elsewhere->first << ".." << elsewhere->second
               << ", not where it rests, " << first << ".." << last;
    }

private:
    Target target_;
    Geometry screen_;
    struct {
        int row = 0;
        std::pair<int, int> span, window;
    } pill_;
    std::optional<std::pair<int, int>> pillSpan() const {
        return darkSpan(grab(session->display.name(), {0, pill_.row, screen_.width, 1}), 0);
    }
    std::optional<std::pair<int, int>> islandWindow() const {
        std::optional<Variable> authority;
        if (!target_.xauthority.empty()) authority.emplace("XAUTHORITY", target_.xauthority);
        return islandWindowSize(target_.x);
    }
};

}  // namespace quorlix::testing
