// A window's frames on X11, as the server shows them: the parts a frame repaints go straight
// into the window, past Qt's backing store, and show there, every column of them, the narrow
// one too; frames drawn while another window covers the window show once it is uncovered.
// The window is quorlix-stripes' panel, on a server of the test's own without a compositing
// manager (the server itself keeps a 32-bit window's pixels while it is covered).

#include "fakes/fake_platform.h"
#include "platform/child_process.h"
#include "platform/virtual_display.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace quorlix::testing {
namespace {

constexpr int left = 20, top = 30;           // the panel on the screen
constexpr int columns[] = {30, 51, 80};      // a point of each column, at row 40
using Colours = std::vector<std::uint32_t>;  // 0xrrggbb, a column each

class WindowPixelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!installed("Xvfb")) GTEST_SKIP() << "needs Xvfb";
        ASSERT_TRUE(display.ready());
        x = xcb_connect(display.name().c_str(), nullptr);
        ASSERT_FALSE(xcb_connection_has_error(x));
        root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
        const Variable displayName("DISPLAY", display.name());
        const Variable platformName("QT_QPA_PLATFORM", "xcb");
        // Qt's X keyboard and bus libraries leave memory at exit: not ours.
        const Variable leaks("ASAN_OPTIONS", "detect_leaks=0");
        program.emplace(std::vector<std::string>{QUORLIX_STRIPES},
                        std::vector<ChildProcess::Open>{{1, output.string(), O_WRONLY | O_CREAT | O_TRUNC}});
        ASSERT_TRUE(program->started());
    }
    void TearDown() override {
        program.reset();
        if (x) xcb_disconnect(x);
    }

    // The colours the program drew at `step`, once it says so.
    Colours drawn(int step) {
        Colours colours;
        const std::string tag = "step " + std::to_string(step) + " ";
        EXPECT_TRUE(waitFor(
            [&] {
                std::ifstream in(output);
                std::string line;
                while (std::getline(in, line) && !in.eof()) {
                    if (line.rfind(tag, 0) != 0) continue;
                    std::istringstream words(line.substr(tag.size()));
                    std::string name;
                    colours.clear();
                    while (words >> name) colours.push_back(std::stoul(name.substr(1), nullptr, 16));
                    return colours.size() == 3;
                }
                return false;
            },
            {&display, &*program}))
            << "no step " << step;
        return colours;
    }
    // The screen as the server shows it at a point of the panel, 0xrrggbb.
    std::optional<std::uint32_t> shown(int atX, int atY) {
        auto* reply = xcb_get_image_reply(
            x,
            xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(left + atX),
                          static_cast<std::int16_t>(top + atY), 1, 1, ~0u),
            nullptr);
        if (!reply) return std::nullopt;
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, xcb_get_image_data(reply), sizeof pixel);
        std::free(reply);
        return pixel & 0xffffff;
    }
    ::testing::AssertionResult shows(const Colours& colours) {
        return waitFor(
            [&] {
                for (std::size_t i = 0; i < colours.size(); ++i)
                    if (shown(columns[i], 40) != colours[i]) return false;
                return true;
            },
            {&display, &*program});
    }
    void next() { ::kill(program->pid(), SIGUSR1); }

    VirtualDisplay display;
    fakes::TempHome folder;
    std::filesystem::path output = folder.path() / "steps";
    std::optional<ChildProcess> program;
    xcb_connection_t* x = nullptr;
    xcb_window_t root = 0;
};

TEST_F(WindowPixelsTest, EachFrameShowsWhatTheWindowDrew) {
    Colours before = drawn(0);
    ASSERT_TRUE(shows(before));
    for (int step = 1; step <= 3; ++step) {
        next();
        const Colours now = drawn(step);
        for (std::size_t i = 0; i < now.size(); ++i) ASSERT_NE(now[i], before[i]) << "step " << step;
        ASSERT_TRUE(shows(now)) << "step " << step;
        before = now;
    }
}

TEST_F(WindowPixelsTest, FramesDrawnWhileCoveredShowOnceUncovered) {
    const Colours first = drawn(0);
    ASSERT_TRUE(shows(first));
    // A black window over the panel, which the server then shows instead.
    const xcb_window_t cover = xcb_generate_id(x);
    const std::uint32_t values[] = {xcb_setup_roots_iterator(xcb_get_setup(x)).data->black_pixel, 1};
    xcb_create_window(x, XCB_COPY_FROM_PARENT, cover, root, left, top, 160, 80, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(x, cover);
    xcb_flush(x);
    ASSERT_TRUE(shows({0, 0, 0}));

    // Frames drawn while covered; uncovered, the window shows the last.
    next();
    drawn(1);
    next();
    const Colours latest = drawn(2);
    for (std::size_t i = 0; i < latest.size(); ++i) ASSERT_NE(latest[i], first[i]);
    xcb_destroy_window(x, cover);
    xcb_flush(x);
    EXPECT_TRUE(shows(latest)) << "the uncovered panel does not show the last frame";
}

}  // namespace
}  // namespace quorlix::testing
