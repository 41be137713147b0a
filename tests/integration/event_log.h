#pragma once
// A program of the user's under the island: quorlix-event-log, maximised, as a Wayland program
// or an X one, started before Quorlix as a user's programs are; and what it heard of the
// pointer, line by line, in the order the window system gave it.

#include "desktop_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quorlix::testing {

class EventLog {
public:
    // Runs the program with GDK_BACKEND `backend` ("wayland", "x11") in the environment set now
    // (the session's displays), its log in `folder`.
    EventLog(const std::string& backend, const std::filesystem::path& folder)
        : file_(folder / ("events-" + backend + ".log")) {
        const Variable gdk("GDK_BACKEND", backend);
        // No accessibility bus runs in the test's session: looking for one holds GTK's loop.
        const Variable bridge("NO_AT_BRIDGE", "1");
        program_.emplace(
            std::vector<std::string>{QUORLIX_EVENT_LOG},
            std::vector<ChildProcess::Open>{
                {1, file_.string(), O_WRONLY | O_CREAT | O_TRUNC},
                {2, (folder / ("events-" + backend + ".err")).string(), O_WRONLY | O_CREAT | O_TRUNC}});
        program_->watch();
    }

    // Waits for the window, maximised and drawn.
    ::testing::AssertionResult ready() {
        return waitFor([&] { return !lines().empty() && lines().front().starts_with("ready "); });
    }

    // How many lines it has written: a mark for `heard`.
    std::size_t mark() const { return lines().size(); }
    // Whether it wrote a line of `kind` ("motion", "press", "scroll", "enter", "leave") after
    // `mark`.
    bool heard(const std::string& kind, std::size_t mark) const {
        const auto all = lines();
        for (std::size_t i = mark; i < all.size(); ++i)
            if (all[i].starts_with(kind + " ")) return true;
        return false;
    }
    // The lines after `mark`, for a failure's message.
    std::string since(std::size_t mark) const {
        std::string text;
        const auto all = lines();
        for (std::size_t i = mark; i < all.size(); ++i) text += all[i] + "; ";
        return text.empty() ? "nothing" : text;
    }

    // A click made at once where `move` puts the pointer, its press heard by the program.
    ::testing::AssertionResult hearsClick(const std::function<void()>& move = [] {}) {
        const std::size_t before = mark();
        move();
        if (run({"xdotool", "click", "1"}) != 0)
            return ::testing::AssertionFailure() << "xdotool did not click";
        if (waitFor([&] { return heard("press", before); })) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the program heard no press (it heard " << since(before) << ")";
    }

    // A move to a point, a click and a wheel notch there, each reaching the program: `move`
    // puts the pointer there, a point further each other time (a compositor may pick the
    // surface under a pointer only as it moves), and `press` clicks a button. The click waits
    // for the move to arrive.
    ::testing::AssertionResult reaches(const std::string& where, const std::function<void()>& move,
                                       const std::function<void(const char*)>& press) {
        const std::size_t before = mark();
        move();
        if (!waitFor([&] {
                if (heard("motion", before)) return true;
                move();
                return false;
            }))
            return ::testing::AssertionFailure() << "no move reached the program " << where;
        for (const auto& [button, kind] : {std::pair{"1", "press"}, std::pair{"5", "scroll"}}) {
            const std::size_t at = mark();
            press(button);
            if (!waitFor([&] { return heard(kind, at); }))
                return ::testing::AssertionFailure() << "no " << kind << " reached the program " << where
                                                     << " (it heard " << since(at) << ")";
        }
        return ::testing::AssertionSuccess();
    }

    // A move, a click and a wheel notch reach the program at each of `points`, where `pointTo`
    // puts the pointer; `after` says when, for a failure's message.
    void expectReachedAt(const std::vector<std::pair<int, int>>& points,
                         const std::function<void(int, int)>& pointTo, const std::string& after) {
        for (const auto& [x, y] : points) {
            int nudge = 0;
            EXPECT_TRUE(reaches(
                "at " + std::to_string(x) + "," + std::to_string(y) + " " + after,
                [&] { pointTo(x + nudge++ % 2, y); },
                [](const char* button) {
                    EXPECT_EQ(run({"xdotool", "click", button}), 0);
                }));
        }
    }

    // The pointer, moved by a hand from the open island (which `open` opens, the pointer `top`
    // points from the screen's top edge) onto the program, stays the program's: a click made as
    // soon as it arrived reaches the program, and so does one where the open island lay
    // (`toWhereItLay` moves there) as soon as the island looks closed (`closed` waits for it),
    // before its spring's last fraction of a point; and no leave comes once it arrived, while it
    // moves on and rests, nor while `settled` waits for the island to come to rest. Five times:
    // such a leave came in the frames after leaving, not every time.
    void expectKeepsThePointerFromTheIsland(const std::function<::testing::AssertionResult()>& open, int top,
                                            const std::function<::testing::AssertionResult()>& closed,
                                            const std::function<void()>& toWhereItLay,
                                            const std::function<::testing::AssertionResult()>& settled) {
        for (int round = 1; round <= 5; ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            ASSERT_TRUE(open()) << "the pointer onto the island did not open it";
            const std::size_t before = mark();
            // Down to 540 points as a hand moves a mouse that reports a hundred times a second.
            std::vector<std::string> hand{"xdotool"};
            for (int y = top; y < 540; y += 24)
                hand.insert(hand.end(), {"mousemove_relative", "--", "0",
                                         std::to_string(std::min(24, 540 - y)), "sleep", "0.01"});
            EXPECT_EQ(run(hand), 0);
            // A compositor may hand the program the pointer that jumped onto it with no move.
            ASSERT_TRUE(waitFor([&] { return heard("motion", before) || heard("enter", before); }))
                << "the pointer away from the island did not reach the program: it heard " << since(before);
            EXPECT_TRUE(hearsClick()) << "a click made as the pointer arrived";
            ASSERT_TRUE(closed()) << "the island did not close";
            EXPECT_TRUE(hearsClick(toWhereItLay))
                << "a click where the open island lay, once it looked closed";
            EXPECT_TRUE(settled()) << "the island did not come to rest";
            // The line of its arrival, heard above (the log only grows).
            std::size_t arrived = before;
            for (const auto all = lines(); arrived < all.size() && !all[arrived].starts_with("motion ") &&
                                           !all[arrived].starts_with("enter ");)
                ++arrived;
            EXPECT_FALSE(heard("leave", arrived))
                << "the program lost the pointer that left the island for it: it heard " << since(before);
        }
    }

private:
    std::vector<std::string> lines() const {
        std::ifstream in(file_);
        std::vector<std::string> all;
        for (std::string line; std::getline(in, line) && !in.eof();) all.push_back(line);
        return all;
    }

    std::filesystem::path file_;
    std::optional<ChildProcess> program_;
};

}  // namespace quorlix::testing
