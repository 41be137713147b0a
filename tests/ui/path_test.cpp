// An outline's point test agrees with the winding of its flattened outline, which is what the
// platform fills: for curves near the point and far from it, several subpaths, open ones.

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

TEST(PathTest, APointIsInsideWhereTheFlattenedOutlineWindsAroundIt) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(0, 40);
    std::uniform_int_distribution<int> verb(0, 5);
    auto at = [&] { return Point{coordinate(random), coordinate(random)}; };
    int inside = 0, outside = 0;
    for (int shape = 0; shape < 150; ++shape) {
        Path path;
        // Some outlines start with a line from the origin, without a move.
        if (shape % 5 != 0) path.move(at());
        const int pieces = 2 + shape % 7;
        for (int i = 0; i < pieces; ++i) {
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
    }
    // Both answers came up often.
    EXPECT_GT(inside, 500);
    EXPECT_GT(outside, 500);
}

}  // namespace
}  // namespace quorlix::ui
