// A window's frames on X11 as the server shows them: the parts a frame repaints go straight
// into the window, past Qt's backing store. quorlix-stripes' panel, on a server of the test's
// own without a compositing manager, shows every frame as drawn (its narrow column too),
// its last frame when exposed, frames drawn while another window covers it once uncovered, and
// its last frame once hidden and shown again, never Qt's older copy.

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
        Colours colours(3);
        const std::string format = "step " + std::to_string(step) + " #%x #%x #%x";
        EXPECT_TRUE(waitFor(
            [&] {
                std::ifstream in(output);
                for (std::string line; std::getline(in, line) && !in.eof();)
                    if (std::sscanf(line.c_str(), format.c_str(), &colours[0], &colours[1], &colours[2]) == 3)
                        return true;
                return false;
            },
            {&display, &*program}))
            << "no step " << step;
        return colours;
    }
    // Whether the program wrote `line`, once it has.
    ::testing::AssertionResult said(const std::string& line) {
        return waitFor(
            [&] {
                std::ifstream in(output);
                for (std::string read; std::getline(in, read) && !in.eof();)
                    if (read == line) return true;
                return false;
            },
            {&display, &*program});
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
    // SIGUSR1: the next step; SIGUSR2: hide or show the panel.
    void tell(int signal) { ::kill(program->pid(), signal); }

    VirtualDisplay display;
    fakes::TempHome folder;
    std::filesystem::path output = folder.path() / "steps";
    std::optional<ChildProcess> program;
    xcb_connection_t* x = nullptr;
    xcb_window_t root = 0;
};

TEST_F(WindowPixelsTest, ShowsTheLastFrameDrawnWhateverCameBetween) {
    const Colours first = drawn(0);
    ASSERT_TRUE(shows(first));
    tell(SIGUSR1);
    const Colours second = drawn(1);
    for (std::size_t i = 0; i < second.size(); ++i) ASSERT_NE(second[i], first[i]);
    ASSERT_TRUE(shows(second));

    // An expose (a resize's, under GNOME) shows the frame drawn past Qt's copy, not the copy. The
    // panel's window takes no pointer, so it is not found at a point: every window is exposed.
    auto* tree = xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr);
    ASSERT_TRUE(tree);
    const xcb_window_t* windows = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        xcb_expose_event_t expose{};
        expose.response_type = XCB_EXPOSE;
        expose.window = windows[i];
        expose.width = 160;
        expose.height = 80;
        xcb_send_event(x, false, windows[i], XCB_EVENT_MASK_EXPOSURE, reinterpret_cast<const char*>(&expose));
    }
    std::free(tree);
    std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));  // sent before the signal
    tell(SIGHUP);
    ASSERT_TRUE(said("synced"));
    ASSERT_TRUE(shows(second)) << "exposed";

    // A black window over the panel while it draws a frame, then gone.
    const xcb_window_t cover = xcb_generate_id(x);
    const std::uint32_t values[] = {xcb_setup_roots_iterator(xcb_get_setup(x)).data->black_pixel, 1};
    xcb_create_window(x, XCB_COPY_FROM_PARENT, cover, root, left, top, 160, 80, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(x, cover);
    xcb_flush(x);
    ASSERT_TRUE(shows({0, 0, 0}));
    tell(SIGUSR1);
    const Colours third = drawn(2);
    xcb_destroy_window(x, cover);
    xcb_flush(x);
    ASSERT_TRUE(shows(third)) << "uncovered";

    // Hidden and shown again with nothing drawn between: the frame drawn past Qt's copy.
    tell(SIGUSR2);
    ASSERT_TRUE(shows({0, 0, 0}));
    tell(SIGUSR2);
    EXPECT_TRUE(shows(third)) << "shown again";
}

}  // namespace
}  // namespace quorlix::testing
