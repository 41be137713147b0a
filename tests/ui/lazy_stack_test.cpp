// Lazy stacks: only the items in the visible part of their scroll view are built, laid out and
// drawn, while the scroll view still spans the whole list, and items keep their state while
// they show.

#include "live_test_support.h"
#include "ui/interaction.h"

namespace quorlix::ui::testing {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace lazy_stack_test {

// An item 40 points wide, taller while hovered, whose body counts its evaluations.
struct Cell {
    int index;
    int* evaluations;
    View body(Context& ctx) const {
        ++*evaluations;
        auto hovered = ctx.state<bool>(false);
        return Color::red.frame({.width = 40, .height = hovered.get() ? 30 : 20})
            .onHover([hovered](bool inside) mutable { hovered = inside; })
            .id(index);
    }
};

std::vector<int> indices(int count) {
    std::vector<int> out(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) out[static_cast<std::size_t>(i)] = i;
    return out;
}

View row(int count, int* evaluations) {
    return LazyHStack(
        {.spacing = 10}, indices(count), [](int i) { return i; },
        [evaluations](int i) {
            return Cell{i, evaluations};
        });
}

// Which of the first `count` items are drawn.
std::vector<int> drawn(Live& l, int count) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        if (l.shown().findId(i)) out.push_back(i);
    return out;
}

TEST(LazyStacks, OnlyTheItemsInViewAreBuiltAndDrawnWhileTheScrollSpansTheWholeList) {
    int evaluations = 0;
    Live l([&] {
        return ScrollView({.axis = Axis::horizontal}, row(10000, &evaluations))
            .frame({.width = 95, .height = 30})
            .frame({.width = 200, .height = 100, .alignment = Alignment::topLeading});
    });
    // Items stand every 50 points: 0 and 1 show in 95 points, 2 does not.
    EXPECT_EQ(drawn(l, 10000), (std::vector<int>{0, 1}));
    EXPECT_LE(evaluations, 3) << "the shown items and the first one, for its size";

    // The scroll view spans ten thousand items: to the end, the last two show, in their places.
    auto& events = l.host().events();
    evaluations = 0;
    EXPECT_TRUE(events.scrolled({10, 10}, -1e9, 0));
    l.advance(0);
    EXPECT_EQ(drawn(l, 10000), (std::vector<int>{9998, 9999}));
    EXPECT_DOUBLE_EQ(l.shown().findId(9999)->frame.x(), 95 - 40);
    EXPECT_LE(evaluations, 3);

    // Halfway back: what shows is built anew, what left is gone.
    EXPECT_TRUE(events.scrolled({10, 10}, (499990 - 95) - 4999 * 50.0, 0));  // item 4999 at the left edge
    l.advance(0);
    EXPECT_EQ(drawn(l, 10000), (std::vector<int>{4999, 5000}));
}

TEST(LazyStacks, AnItemKeepsItsStateAndAChangeInItBuildsOnlyIt) {
    int evaluations = 0;
    Live l([&] {
        return ScrollView({.axis = Axis::horizontal}, row(500, &evaluations))
            .frame({.width = 140, .height = 30})
            .frame({.width = 200, .height = 100, .alignment = Alignment::topLeading});
    });
    ASSERT_EQ(drawn(l, 500), (std::vector<int>{0, 1, 2}));
    EXPECT_DOUBLE_EQ(l.shown().findId(1)->frame.height(), 20);
    evaluations = 0;
    l.host().events().pointerMoved({55, 15});  // over item 1
    l.advance(0);
    EXPECT_DOUBLE_EQ(l.shown().findId(1)->frame.height(), 30);
    EXPECT_EQ(evaluations, 1) << "only the hovered item is built again";
    EXPECT_EQ(drawn(l, 500), (std::vector<int>{0, 1, 2}));
}

TEST(LazyStacks, OutsideAScrollViewEveryItemShows) {
    int evaluations = 0;
    Live l([&] {
        return row(3, &evaluations).frame({.width = 200, .height = 100, .alignment = Alignment::topLeading});
    });
    EXPECT_EQ(drawn(l, 3), (std::vector<int>{0, 1, 2}));
    EXPECT_DOUBLE_EQ(l.shown().findId(2)->frame.x(), 100);
}

}  // namespace lazy_stack_test
}  // namespace
}  // namespace quorlix::ui::testing
