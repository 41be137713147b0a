// The notch outline (its path and the clamping of its bottom radius) and the island background.

#include "fakes/fixed_font_engine.h"
#include "island/island_background.h"
#include "island/notch_shape.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace quorlix {
namespace {

using ui::Path;
using Verb = Path::Verb;

class QtApplication final : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QGuiApplication::instance()) app_ = new QGuiApplication(argc_, argv_);
    }
    void TearDown() override { delete app_; }

private:
    int argc_ = 1;
    char name_[8] = "test";
    char* argv_[2] = {name_, nullptr};
    QGuiApplication* app_ = nullptr;
};
[[maybe_unused]] ::testing::Environment* const qtApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

TEST(NotchShape, TracesFlaresSidesAndBottomCornersAsQuadraticCurves) {
    const Rect r{10, 0, 200, 32};
    const Path p = NotchShape(6, 13).path(r);
    const auto& e = p.elements();
    ASSERT_EQ(e.size(), 9u);
    const Verb verbs[] = {Verb::move, Verb::quad, Verb::line, Verb::quad, Verb::line,
                          Verb::quad, Verb::line, Verb::quad, Verb::close};
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(e[i].verb, verbs[i]) << i;
    EXPECT_EQ(e[0].p[0], (Point{10, 0}));
    EXPECT_EQ(e[1].p[0], (Point{16, 0}));   // control: the corner of the flare's box
    EXPECT_EQ(e[1].p[1], (Point{16, 6}));
    EXPECT_EQ(e[2].p[0], (Point{16, 19}));  // left side down to maxY - b
    EXPECT_EQ(e[3].p[0], (Point{16, 32}));
    EXPECT_EQ(e[3].p[1], (Point{29, 32}));
    EXPECT_EQ(e[4].p[0], (Point{191, 32}));
    EXPECT_EQ(e[5].p[0], (Point{204, 32}));
    EXPECT_EQ(e[5].p[1], (Point{204, 19}));
    EXPECT_EQ(e[6].p[0], (Point{204, 6}));
    EXPECT_EQ(e[7].p[0], (Point{204, 0}));
    EXPECT_EQ(e[7].p[1], (Point{210, 0}));
}

TEST(NotchShape, ClampsTheBottomRadius) {
    // Within bounds: as asked.
    EXPECT_EQ(NotchShape(6, 13).effectiveBottomRadius({0, 0, 200, 32}), 13);
    // Wider than half the body: half the body, so the bottom is one curve.
    const Rect r{0, 0, 100, 100};
    EXPECT_EQ(NotchShape(10, 60).effectiveBottomRadius(r), 40);
    const Path wide = NotchShape(10, 60).path(r);
    const auto& e = wide.elements();
    EXPECT_EQ(e[3].p[1], e[4].p[0]);  // the bottom edge has no length
    // Taller than the sides: the sides vanish, the bottom curves start where the flares end.
    EXPECT_EQ(NotchShape(10, 50).effectiveBottomRadius({0, 0, 200, 30}), 20);
    EXPECT_EQ(NotchShape(10, 50).path({0, 0, 200, 30}).elements()[2].p[0], (Point{10, 10}));
    // Narrower than both flares or shorter than one: square corners, never a negative radius.
    EXPECT_EQ(NotchShape(10, 13).effectiveBottomRadius({0, 0, 15, 30}), 0);
    EXPECT_EQ(NotchShape(10, 13).effectiveBottomRadius({0, 0, 200, 8}), 0);
    EXPECT_EQ(NotchShape(6, -4).effectiveBottomRadius({0, 0, 200, 32}), 0);
}

TEST(NotchShape, WithoutFlaresIsARectangleWithRoundedBottom) {
    const Path p = NotchShape(0, 10).path({0, 0, 100, 40});
    const auto& e = p.elements();
    EXPECT_EQ(e[1].p[0], (Point{0, 0}));  // the flare degenerates to a point
    EXPECT_EQ(e[1].p[1], (Point{0, 0}));
    EXPECT_EQ(e[2].p[0], (Point{0, 30}));
    EXPECT_EQ(e[7].p[1], (Point{100, 0}));
}

TEST(NotchShape, AnimatesBothRadiiTogether) {
    const ui::AnyShape from = NotchShape(6, 13);
    EXPECT_EQ(from.animatableData(), (ui::AnimatableData{6, 13}));
    const ui::AnyShape halfway = from.withAnimatableData({10, 18.5});
    const Rect r{0, 0, 300, 120};
    EXPECT_EQ(halfway.path(r), NotchShape(10, 18.5).path(r));
    ASSERT_NE(halfway.as<NotchShape>(), nullptr);
    EXPECT_EQ(halfway.as<NotchShape>()->bottomRadius, 18.5);
}

TEST(IslandBackground, FillsTheOutlineBlackWhateverTheGlassSettings) {
    fakes::FixedFontEngine fonts;
    auto fills = [&](IslandBackground background) {
        ui::ViewGraph graph(fonts);
        graph.update(ui::View(background).frame({.width = 212, .height = 32}), {212, 32});
        std::vector<ui::DisplayItem> out;
        for (const auto* i : graph.displayList().findAll([](const ui::DisplayItem& i) { return i.fill.has_value(); }))
            out.push_back(*i);
        return out;
    };
    const auto plain = fills({.shape = NotchShape(6, 13)});
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].fill->color, ui::Color::black);
    EXPECT_EQ(plain[0].path, NotchShape(6, 13).path({0, 0, 212, 32}));
    EXPECT_FALSE(plain[0].strokePaint);
    const auto tuned = fills({.shape = NotchShape(6, 13), .transparency = 0.8, .notchBand = 32});
    ASSERT_EQ(tuned.size(), 1u);
    EXPECT_EQ(tuned[0].path, plain[0].path);
    EXPECT_EQ(tuned[0].fill, plain[0].fill);
}

TEST(IslandBackground, NoBlackShowsOutsideTheOutline) {
    const double w = 212, h = 32;
    const QImage img = ui::qt::renderImage(
        ui::View(IslandBackground{.shape = NotchShape(6, 13), .notchBand = h}).frame({.width = w, .height = h}), {w, h}, 2);
    EXPECT_EQ(img.pixelColor(212, 32), QColor(0, 0, 0));  // the body
    EXPECT_EQ(img.pixelColor(10, 2).alpha(), 255);       // inside the left flare, near the top edge
    EXPECT_EQ(img.pixelColor(1, 4).alpha(), 0);          // below the flare's curve
    EXPECT_EQ(img.pixelColor(2, 40).alpha(), 0);         // beside the left side, below the flare
    EXPECT_EQ(img.pixelColor(14, 62).alpha(), 0);        // outside the rounded bottom corner
    EXPECT_EQ(img.pixelColor(410, 62).alpha(), 0);
    // Floating: a capsule, transparent beyond its round ends.
    const QImage floating = ui::qt::renderImage(
        ui::View(IslandBackground{.shape = ui::Capsule(ui::RoundedCornerStyle::continuous)}).frame({.width = 84, .height = 24}),
        {84, 24}, 1);
    EXPECT_EQ(floating.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(floating.pixelColor(42, 12), QColor(0, 0, 0));
}

}  // namespace
}  // namespace quorlix
