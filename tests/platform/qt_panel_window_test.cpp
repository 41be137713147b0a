// The Linux panel's timed fades, on virtual time.

#include "platform/linux/qt_panel_window.h"

#include "fakes/virtual_time.h"
#include "qt_test_support.h"

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {

TEST(QtPanelWindow, FadesOverItsTimeThenCompletesAndMayBeReleasedByItsCompletion) {
    testing::qtApplication();
    fakes::VirtualTime time;
    QtPanelWindows windows;
    std::unique_ptr<PanelWindow> panel = windows.makePanel(Rect(0, 0, 339, 185));
    panel->fade(0, 0, {});
    panel->orderFront();
    int completions = 0;
    panel->fade(1, 0.35, [&] { ++completions; });
    time.advance(0.2);
    EXPECT_GT(panel->alpha(), 0);
    EXPECT_LT(panel->alpha(), 1);
    panel->fade(1, 0.35, {});  // drops the completion still pending
    time.advance(1);
    EXPECT_EQ(panel->alpha(), 1);
    EXPECT_EQ(completions, 0);

    panel->fade(0, 0.25, [&] { panel.reset(); });
    time.advance(0.24);
    ASSERT_NE(panel, nullptr);
    time.advance(0.01);
    EXPECT_EQ(panel, nullptr);
}

}  // namespace
}  // namespace quorlix::platform
