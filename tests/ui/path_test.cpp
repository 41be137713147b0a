// An outline's point and rectangle tests agree with the winding of its flattened outline, which
// is what the platform fills: for curves near them and far from them, several subpaths, open ones.

#include "ui/path.h"

#include <gtest/gtest.h>

#include <random>

namespace quorlix::ui {
namespace {

// The winding number around `p` of `path` flattened as the point test flattens it, each
// polygon closed.
int windingOfFlattened(const Path& path, Point p) {
    int winding = 0;
    for (const auto& poly : path.flattened(0.25)) {
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const Point a = poly[i], c = poly[(i + 1) % poly.size()];
            const double cross = (c.x - a.x) * (p.y - a.y) - (p.x - a.x) * (c.y - a.y);
            if (a.y <= p.y) {
                if (c.y > p.y && cross > 0) ++winding;
            } else if (c.y <= p.y && cross < 0) {
                --winding;
            }
        }
    }
    return winding;
}

TEST(PathTest, PointsAndRectanglesAreInsideWhereTheFlattenedOutlineWindsAroundThem) {
    // On random outlines of lines and curves, some subpaths left open, some starting without a
    // move: a point is inside where the flattened outline winds around it, and a rectangle is
    // never enclosed when a point of it is outside...
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-2, 40), side(0.5, 6);
    std::uniform_int_distribution<int> verb(0, 5);
    auto at = [&] { return Point{coordinate(random), coordinate(random)}; };
    int inside = 0, outside = 0, enclosed = 0;
    for (int shape = 0; shape < 150; ++shape) {
        Path path;
        if (shape % 5 != 0) path.move(at());
        for (int i = 0; i < 2 + shape % 7; ++i) {
            switch (verb(random)) {
                case 0: path.line(at()); break;
                case 1: path.quad(at(), at()); break;
                case 2:
                case 3: path.cubic(at(), at(), at()); break;
                case 4: path.close(); break;
                default: path.move(at()); break;
            }
        }
        // Points on a grid, some on the control points' own lines.
        for (double x = -1; x <= 41; x += 2.5)
            for (double y = -1; y <= 41; y += 2.5) {
                const bool expected = windingOfFlattened(path, {x, y}) != 0;
                ASSERT_EQ(path.contains({x, y}), expected) << "shape " << shape << " at " << x << ", " << y;
                (expected ? inside : outside) += 1;
            }
        for (int i = 0; i < 80; ++i) {
            const Rect r{coordinate(random), coordinate(random), side(random), side(random)};
            if (!path.encloses(r)) continue;
            ++enclosed;
            for (double x = r.minX(); x <= r.maxX() + 1e-9; x += r.width() / 8)
                for (double y = r.minY(); y <= r.maxY() + 1e-9; y += r.height() / 8)
                    ASSERT_NE(windingOfFlattened(path, {x, y}), 0) << "shape " << shape << " at " << x << ", " << y;
        }
    }
    // Every answer came up often.
    EXPECT_GT(inside, 500);
    EXPECT_GT(outside, 500);
    EXPECT_GT(enclosed, 50);
    // ...and a rectangle is enclosed where a capsule's round end curves close by without reaching it.
    Path capsule;
    capsule.addRoundedRect({0, 0, 230, 32}, 16, false);
    const std::pair<Rect, bool> cases[] = {
        {{202.5, 7.5, 21, 17}, true},  // in the round end, within the control points' box
        {{100, 2, 30, 28}, true},      // between the straight sides
        {{220, 2, 8, 8}, false},       // across the curve
        {{231, 10, 4, 4}, false},      // beyond the end
    };
    for (const auto& [r, in] : cases) EXPECT_EQ(capsule.encloses(r), in) << r.x() << ", " << r.y();
    // A resting island's capsule, and its equalizer's bars: the round end's pieces pass the
    // corners diagonally, a point away, without coming in.
    Path pill;
    pill.addRoundedRect({0, 0, 144, 24}, 12, false);
    EXPECT_TRUE(pill.encloses({120, 5.1, 20.5, 13.8}));
    EXPECT_FALSE(pill.encloses({120, 4.3, 22, 15.4}));
}

}  // namespace
}  // namespace quorlix::ui
