// The pointer on a real X server of the test's own (Xvfb): moves, presses and wheel clicks
// made with xdotool reach the monitor, whichever window they go to, with the platform's
// signs, one line per wheel click and quick clicks as one gesture.

#include "platform/linux/x11_pointer_monitor.h"

#include "fakes/fake_platform.h"
#include "platform/linux/scroll_gesture.h"

#include "virtual_display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::testing {
namespace {

using platform::PointerEvent;
using platform::PointerEventType;

class X11PointerMonitorTest : public ::testing::Test, public QtApplicationMember {
protected:
    void SetUp() override {
        if (display.name().empty()) GTEST_SKIP() << "Xvfb could not start a display";
        auto s = monitor.monitor([this](const PointerEvent& e) { events.push_back(e); });
        ASSERT_TRUE(s) << "no XInput 2.2 on the test's X server";
        subscription = std::move(*s);
    }

    // Runs xdotool to its end and gives the events it caused.
    std::vector<PointerEvent> after(const std::vector<std::string>& arguments, std::size_t expected) {
        events.clear();
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ChildProcess xdotool(command);
        EXPECT_TRUE(xdotool.started());
        EXPECT_TRUE(waitUntil([&] { return !xdotool.running(); }));
        waitUntil([&] { return events.size() >= expected; }, 2000);
        settle(100);  // and nothing more
        return events;
    }

    static std::vector<PointerEventType> types(const std::vector<PointerEvent>& events) {
        std::vector<PointerEventType> out;
        for (const auto& e : events) out.push_back(e.type);
        return out;
    }

    VirtualDisplay display;
    Variable displayName{"DISPLAY", display.name()};  // for xdotool
    fakes::FakePlatform fake;
    platform::X11PointerMonitor monitor{display.name()};
    Subscription subscription;
    std::vector<PointerEvent> events;
};

TEST_F(X11PointerMonitorTest, WheelClicksAreOneLineEachWithThePlatformsSignAndQuickOnesOneGesture) {
    struct Case {
        std::vector<std::string> click;
        std::size_t clicks;
        double deltaX;
        double deltaY;
    };
    // Button 4 turns the wheel away from the user (up), 6 tilts it left: both positive.
    const Case cases[] = {
        {{"click", "4"}, 1, 0, 1},
        {{"click", "5"}, 1, 0, -1},
        {{"click", "6"}, 1, 1, 0},
        {{"click", "7"}, 1, -1, 0},
        {{"click", "--repeat", "3", "--delay", "20", "5"}, 3, 0, -1},
    };
    for (const auto& c : cases) {
        // The clicks, then the end of their gesture once they stop (on the test's virtual time).
        auto seen = after(c.click, c.clicks);
        fake.time.advance(platform::ScrollGesture::quietPeriod);
        seen.insert(seen.end(), events.begin() + static_cast<std::ptrdiff_t>(seen.size()), events.end());
        ASSERT_EQ(seen.size(), c.clicks + 1) << c.click.back();
        for (std::size_t i = 0; i < seen.size(); ++i) {
            const auto& e = seen[i];
            const bool end = i == c.clicks;
            EXPECT_EQ(e.type, PointerEventType::scrollWheel);
            EXPECT_EQ(e.scroll.deltaX, end ? 0 : c.deltaX) << c.click.back();
            EXPECT_EQ(e.scroll.deltaY, end ? 0 : c.deltaY) << c.click.back();
            EXPECT_FALSE(e.scroll.hasPreciseScrollingDeltas) << "a wheel counts lines";
            const auto phase = end ? platform::ScrollPhase::ended
                                   : (i == 0 ? platform::ScrollPhase::began : platform::ScrollPhase::changed);
            EXPECT_EQ(e.scroll.phase, phase) << c.click.back() << " " << i;
            EXPECT_FALSE(e.scroll.isMomentum());
        }
    }
}

TEST_F(X11PointerMonitorTest, MovesPressesAndDragsOfTheDevicesArrive) {
    EXPECT_EQ(types(after({"mousemove_relative", "--", "5", "5"}, 1)),
              std::vector{PointerEventType::mouseMoved});
    EXPECT_EQ(types(after({"mousedown", "1"}, 1)), std::vector{PointerEventType::leftMouseDown});
    EXPECT_EQ(types(after({"mousemove_relative", "--", "-3", "0"}, 1)),
              std::vector{PointerEventType::leftMouseDragged});
    EXPECT_EQ(types(after({"mouseup", "1"}, 1)), std::vector{PointerEventType::leftMouseUp});
    // The right button is none of the island's business.
    EXPECT_TRUE(after({"click", "3"}, 0).empty());
    // A program's jump to a place makes no raw motion, and is a move all the same.
    EXPECT_EQ(types(after({"mousemove", "100", "80"}, 1)), std::vector{PointerEventType::mouseMoved});
}

}  // namespace
}  // namespace quorlix::testing
