// The Linux panel: its timed fades, on virtual time, and what its scrolls tell the pointer
// monitor.

#include "platform/linux/qt_panel_window.h"
#include "platform/linux/qt_screens.h"

#include "fakes/virtual_time.h"
#include "qt_test_support.h"

#include <QPointingDevice>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {

// The pointer on a pixel counts as inside an area exactly where the area's window takes it:
// along each of its four edges, the pixels on either side.
TEST(QtPanelWindow, ThePointerOnAPixelIsInAnAreaExactlyWhereTheAreasPixelsAre) {
    testing::qtApplication();
    const Rect area = fromQtGeometry(QRect(100, 32, 60, 20));
    const QRect pixels = toQtGeometry(area);
    for (const QPoint p : {QPoint(99, 40), QPoint(100, 40), QPoint(159, 40), QPoint(160, 40), QPoint(130, 31),
                           QPoint(130, 32), QPoint(130, 51), QPoint(130, 52)})
        EXPECT_EQ(area.contains(fromQtPoint(p)), pixels.contains(p)) << p.x() << ", " << p.y();
}

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

TEST(QtPanelWindow, AScrollHasPreciseDeltasOnlyWhenQtGivesPixels) {
    testing::qtApplication();
    const QPointingDevice mouse(QStringLiteral("mouse"), 11, QInputDevice::DeviceType::Mouse,
                                QPointingDevice::PointerType::Generic, QInputDevice::Capability::Position, 1,
                                5);
    // What Qt makes of XWayland's one pointer, whatever device moves it.
    const QPointingDevice xwayland(QStringLiteral("xwayland-relative-pointer:11"), 12,
                                   QInputDevice::DeviceType::TouchPad, QPointingDevice::PointerType::Finger,
                                   QInputDevice::Capability::Position, 2, 5);
    struct Case {
        const char* name;
        QPoint pixels, angle;
        const QPointingDevice* device;
        bool inverted;
        OwnWindowScroll expected;
    };
    const Case cases[] = {
        // Lines of a wheel, in the platform's signs (up and left are positive, as Qt's).
        {"a wheel's notch", {}, {0, 120}, &mouse, false, {0, 1, false, false}},
        {"a sideways tilt", {}, {-120, 0}, &mouse, false, {-1, 0, false, false}},
        // XWayland's pointer, taken for a touchpad, tells no pixels: a wheel's lines.
        {"a notch through XWayland", {}, {0, 120}, &xwayland, false, {0, 1, false, false}},
        {"a small step through XWayland", {}, {0, 36}, &xwayland, true, {0, 0.3, false, true}},
        // Points, where Qt gives pixel deltas.
        {"pixel deltas", {-7, 2}, {-56, 16}, &mouse, false, {-7, 2, true, false}},
    };
    for (const Case& c : cases) {
        const QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), c.pixels, c.angle, Qt::NoButton, Qt::NoModifier,
                                Qt::NoScrollPhase, c.inverted, Qt::MouseEventNotSynthesized, c.device);
        const OwnWindowScroll scroll = ownWindowScroll(wheel);
        EXPECT_DOUBLE_EQ(scroll.dx, c.expected.dx) << c.name;
        EXPECT_DOUBLE_EQ(scroll.dy, c.expected.dy) << c.name;
        EXPECT_EQ(scroll.precise, c.expected.precise) << c.name;
        EXPECT_EQ(scroll.natural, c.expected.natural) << c.name;
    }
}

}  // namespace
}  // namespace quorlix::platform
