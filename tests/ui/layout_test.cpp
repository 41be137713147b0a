// The proposal-and-response layout: stacks, spacers, frames, padding, fixed size, overlays and
// backgrounds, geometry readers and anchors resolved in an ancestor.

#include "ui_test_support.h"

#include <optional>

namespace quorlix::ui {
namespace {

using testing::box;
using testing::Layout;

TEST(StackLayout, PlacesChildrenWithSpacingAndCrossAlignment) {
    auto stack = [](VerticalAlignment a) {
        return HStack({.alignment = a, .spacing = 10}, {box(20, 10).id("a"), box(30, 40).id("b")});
    };
    Layout top(stack(VerticalAlignment::top));
    EXPECT_RECT(top.frame("a"), 0, 0, 20, 10);
    EXPECT_RECT(top.frame("b"), 30, 0, 30, 40);
    EXPECT_RECT(Layout(stack(VerticalAlignment::center)).frame("a"), 0, 15, 20, 10);
    EXPECT_RECT(Layout(stack(VerticalAlignment::bottom)).frame("a"), 0, 30, 20, 10);

    Layout trailing(VStack({.alignment = HorizontalAlignment::trailing, .spacing = 4}, {box(20, 10).id("a"), box(30, 5).id("b")}));
    EXPECT_RECT(trailing.frame("a"), 10, 0, 20, 10);
    EXPECT_RECT(trailing.frame("b"), 0, 14, 30, 5);
}

TEST(StackLayout, DefaultSpacingIsEightButNoneBesideSpacersOrEmptyViews) {
    Layout l(HStack({box(10, 10).id("a"), box(10, 10).id("b"), View(), If(false, box(10, 10)), box(10, 10).id("c")}));
    EXPECT_EQ(l.frame("b").x(), 18);
    // Empty views and false conditions take neither space nor spacing.
    EXPECT_EQ(l.frame("c").x(), 36);

    Layout spaced(HStack({box(10, 10).id("a"), Spacer(), box(10, 10).id("b")}).frame({.width = 100}));
    EXPECT_EQ(spaced.frame("a").x(), 0);
    EXPECT_EQ(spaced.frame("b").x(), 90);
}

TEST(StackLayout, FlexibleChildrenShareWhatTheRigidOnesLeave) {
    Layout l(HStack({.spacing = 0}, {Color::red.id("a"), box(50, 10).id("b"), Color::blue.id("c")})
                 .frame({.width = 250, .height = 20}));
    EXPECT_RECT(l.frame("a"), 0, 0, 100, 20);
    EXPECT_RECT(l.frame("b"), 100, 5, 50, 10);
    EXPECT_RECT(l.frame("c"), 150, 0, 100, 20);

    // The less flexible text is served first and keeps its natural width.
    Layout text(HStack({.spacing = 0}, {Text("abcd").id("t"), Color::red.id("c")}).frame({.width = 100}));
    EXPECT_EQ(text.frame("t").width(), 20);
    EXPECT_EQ(text.frame("c").width(), 80);
}

TEST(StackLayout, LayoutPriorityIsServedFirst) {
    Layout l(HStack({.spacing = 0}, {Text("aaaa bbbb").id("low"), Text("cccc dddd").layoutPriority(1).id("high")})
                 .frame({.width = 60}));
    EXPECT_EQ(l.frame("high").width(), 45);  // its whole line
    EXPECT_EQ(l.frame("low").width(), 15);
}

TEST(StackLayout, SpacersKeepTheirMinimumLength) {
    auto row = [](double width) {
        return HStack({.spacing = 0}, {box(40, 10).id("a"), Spacer(30), box(40, 10).id("b")})
            .frame({.width = width, .alignment = Alignment::leading});
    };
    Layout wide(row(200));
    EXPECT_EQ(wide.frame("b").x(), 160);
    // Too narrow: the spacer does not give up its 30 points, the row overflows instead.
    Layout narrow(row(100));
    EXPECT_EQ(narrow.frame("b").x() - narrow.frame("a").maxX(), 30);

    // A spacer without a length takes the stack's spacing as its minimum.
    Layout zero(HStack({.spacing = 0}, {box(60, 10).id("a"), Spacer(), box(60, 10).id("b")}).frame({.width = 100}));
    EXPECT_EQ(zero.frame("b").x() - zero.frame("a").maxX(), 0);
    Layout system(HStack({box(60, 10).id("a"), Spacer(), box(60, 10).id("b")}).frame({.width = 100}));
    EXPECT_EQ(system.frame("b").x() - system.frame("a").maxX(), 8);
}

TEST(FrameLayout, FixedFramesAlignTheirContent) {
    Layout l(Text("ab").id("t").frame({.width = 100, .height = 50, .alignment = Alignment::bottomTrailing}).id("f"));
    EXPECT_RECT(l.frame("f"), 0, 0, 100, 50);
    EXPECT_RECT(l.frame("t"), 90, 40, 10, 10);

    // Only the given length is fixed; the other follows the content.
    Layout w(box(20, 30).frame({.width = 80}).id("f"));
    EXPECT_RECT(w.frame("f"), 0, 0, 80, 30);
}

TEST(FrameLayout, FlexibleFramesFollowTheProposalWithinTheirBounds) {
    Layout capped(Color::red.frame({.maxWidth = 100}).id("f").frame({.width = 300, .height = 40}));
    EXPECT_EQ(capped.frame("f").width(), 100);

    Layout fill(Text("ab").id("t").frame({.maxWidth = infinity, .alignment = Alignment::leading}).id("f").frame({.width = 300}));
    EXPECT_EQ(fill.frame("f").width(), 300);
    EXPECT_EQ(fill.frame("t").x(), 0);

    Layout minimum(Text("ab").frame({.minWidth = 100}).id("f"));
    EXPECT_EQ(minimum.frame("f").width(), 100);

    // With no proposal (fixed size) a flexible frame takes its content's ideal size.
    Layout ideal(Text("abcd").frame({.maxWidth = infinity}).id("f").fixedSize());
    EXPECT_EQ(ideal.frame("f").width(), 20);
}

TEST(FrameLayout, PositionCentresTheViewOnAPointOfTheSpaceOffered) {
    Layout l(box(40, 20).id("b").position(100, 50).id("p").frame({.width = 300, .height = 200}));
    EXPECT_RECT(l.frame("p"), 0, 0, 300, 200);
    EXPECT_RECT(l.frame("b"), 80, 40, 40, 20);
}

TEST(PaddingLayout, InsetsEachEdge) {
    Layout l(box(20, 20).id("c").padding(EdgeInsets{1, 2, 3, 4}).id("p"));
    EXPECT_RECT(l.frame("p"), 0, 0, 26, 24);
    EXPECT_RECT(l.frame("c"), 2, 1, 20, 20);

    Layout edges(box(10, 10).id("c").padding(Edge::leading, 12).padding(Edges::vertical, 5).id("p"));
    EXPECT_RECT(edges.frame("p"), 0, 0, 22, 20);
    EXPECT_RECT(edges.frame("c"), 12, 5, 10, 10);

    // Padding shrinks what the content is offered.
    Layout offered(Color::red.id("c").padding(10).frame({.width = 100, .height = 50}));
    EXPECT_RECT(offered.frame("c"), 10, 10, 80, 30);
}

TEST(FixedSizeLayout, IgnoresTheProposalOnTheFixedAxes) {
    // "hello world" is 47.5 points on one line; in 30 points it wraps to two lines.
    Layout wrapped(Text("hello world").id("t").frame({.width = 30}));
    EXPECT_EQ(wrapped.frame("t").height(), 20);
    Layout fixed(Text("hello world").fixedSize().id("t").frame({.width = 30}));
    EXPECT_RECT(fixed.frame("t"), -8.75, 0, 47.5, 10);
    // Vertical only: wraps to the width, but takes its whole height even when offered less.
    Layout vertical(Text("hello world").fixedSize(false, true).id("t").frame({.width = 30, .height = 5}));
    EXPECT_EQ(vertical.frame("t").height(), 20);
}

TEST(LayeredLayout, OverlaysAndBackgroundsTakeTheContentSizeAndAlign) {
    Layout l(box(100, 50).id("c").overlay(box(10, 10).id("o"), Alignment::bottomTrailing)
                 .background(Color::red.id("bg"))
                 .background(box(20, 20).id("tl"), Alignment::topLeading));
    EXPECT_RECT(l.frame("o"), 90, 40, 10, 10);
    EXPECT_RECT(l.frame("bg"), 0, 0, 100, 50);  // a colour fills the content's size
    EXPECT_RECT(l.frame("tl"), 0, 0, 20, 20);
    // Drawing order: backgrounds behind the content, overlays in front.
    const auto* overlay = l.list().findRole("overlay");
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->children.back().explicitId, detail::idHash("o"));
}

TEST(GeometryReaderLayout, OffersItsWholeSpaceAndPlacesContentTopLeading) {
    std::optional<Size> seen;
    Layout l(GeometryReader([&](const GeometryProxy& g) {
                 seen = g.size();
                 return Color::red.frame({.width = g.size().width / 2, .height = 10}).id("c");
             }).frame({.width = 120, .height = 60}).padding(10));
    ASSERT_TRUE(seen);
    EXPECT_EQ(*seen, (Size{120, 60}));
    EXPECT_RECT(l.frame("c"), 10, 10, 60, 10);
}

inline const PreferenceKey<std::optional<Anchor>> buttonBounds{std::nullopt, [](std::optional<Anchor>& value,
                                                                                const std::optional<Anchor>& next) {
                                                                   if (!value) value = next;
                                                               }};

TEST(FittingSize, IsTheIdealHeightAtAWidthAndLeavesTheRenderedTreeAlone) {
    fakes::FixedFontEngine fonts;
    ViewGraph graph(fonts);
    int appeared = 0;
    const View column = VStack({.spacing = 0},
                               {
                                   box(50, 30),
                                   Text("uno dos tres cuatro").fixedSize(false, true),
                                   Spacer(),
                               })
                            .font(Font::system(10))
                            .onAppear([&] { ++appeared; });
    // 19 letters: one line in 200 points, two lines (of up to 15 letters) in 80.
    EXPECT_EQ(graph.fittingSize(column, {200, std::nullopt}).height, 30 + 10);  // the spacer at its least, 0
    EXPECT_EQ(graph.fittingSize(column, {80, std::nullopt}).height, 30 + 20);
    EXPECT_EQ(appeared, 0) << "measuring runs no action";
    EXPECT_TRUE(graph.displayList().children.empty());
}

TEST(AnchorPreferences, ResolveInTheReadersSpaceThroughOffsetsAndPadding) {
    std::optional<Rect> resolved;
    const View button = box(30, 10).anchorPreference(
        buttonBounds, [](const Anchor& a) { return std::optional<Anchor>(a); });
    Layout l(VStack({.alignment = HorizontalAlignment::leading, .spacing = 0}, {
                 box(50, 20),
                 button.padding(5).offset(7, 0),
             })
                 .padding(20)
                 .overlayPreferenceValue(buttonBounds, [&](const std::optional<Anchor>& a) {
                     return GeometryReader([&, a](const GeometryProxy& g) {
                         if (a) resolved = g[*a];
                         return View();
                     });
                 }));
    ASSERT_TRUE(resolved);
    // 20 (outer padding) + 5 (button padding) + 7 (offset); below the 20-point box.
    EXPECT_RECT(*resolved, 32, 45, 30, 10);
}

TEST(AnchorPreferences, AnAnchorFromAnOldTreeResolvesToNothing) {
    {
        fakes::FixedFontEngine fonts;
        ViewGraph graph(fonts);
        std::optional<Anchor> kept;
        graph.update(box(10, 10).anchorPreference(buttonBounds, [](const Anchor& a) {
            return std::optional<Anchor>(a);
        }), {100, 100});
        kept = graph.preferences()[buttonBounds];
        ASSERT_TRUE(kept);
        std::optional<Rect> late;
        graph.update(GeometryReader([&](const GeometryProxy& g) {
                         late = g[*kept];
                         return View();
                     }),
                     {100, 100});
        ASSERT_TRUE(late);
        EXPECT_TRUE(late->isEmpty());
    }
}

inline const PreferenceKey<int> total{0, [](int& value, const int& next) { value += next; }};

TEST(Preferences, SiblingsReduceInOrderAndAnOuterValueReplacesTheSubtrees) {
    fakes::FixedFontEngine fonts;
    ViewGraph graph(fonts);
    graph.update(VStack({box(1, 1).preference(total, 1), box(1, 1).preference(total, 2), box(1, 1)}), {50, 50});
    EXPECT_EQ(graph.preferences()[total], 3);
    graph.update(VStack({box(1, 1).preference(total, 1), box(1, 1).preference(total, 2)}).preference(total, 10),
                 {50, 50});
    EXPECT_EQ(graph.preferences()[total], 10);
    graph.update(box(1, 1), {50, 50});
    EXPECT_FALSE(graph.preferences().contains(total));
    EXPECT_EQ(graph.preferences()[total], 0);
}

// The container beside the notch, written as a view of the system would be.
inline const EnvironmentKey<double> islandWidth{0.0};

struct Wings : ViewModifiers<Wings> {
    Size notch;
    double edge = 12, inner = 6;
    View left, right;

    View body(Context& ctx) const {
        const double w = std::max((ctx.environment(islandWidth) - notch.width) * 0.5, 0.0);
        return HStack({.alignment = VerticalAlignment::center, .spacing = 0}, {
                   HStack({.spacing = 0}, {left, Spacer()})
                       .padding(Edge::leading, edge).padding(Edge::trailing, inner)
                       .frame({.width = w}),
                   Color::clear.frame({.width = notch.width}).id("gap"),
                   HStack({.spacing = 0}, {Spacer(), right})
                       .padding(Edge::leading, inner).padding(Edge::trailing, edge)
                       .frame({.width = w}),
               })
            .frame({.height = notch.height});
    }
};

TEST(ComposedViews, WingsSplitTheIslandWidthAroundTheNotch) {
    const Size notch{180, 32};
    // A text of 100 points on one line: it must make do with what its wing leaves it.
    const View wings = Wings{.notch = notch, .left = Text("aaaaaaaaaaaaaaaaaaaa").lineLimit(1).id("left"),
                             .right = box(10, 10).id("right")}
                           .id("wings");

    Layout hud(wings.environment(islandWidth, notch.width + 157));
    EXPECT_EQ(hud.frame("wings").width(), notch.width + 157);
    // The wing is 78.5 wide; less the margins, at most 60.5 remain: 11 letters and an ellipsis.
    EXPECT_RECT(hud.frame("left"), 12, 11, 60, 10);
    EXPECT_EQ(hud.text("aaaaaaaaaaaaaaaaaaaa").truncated, true);
    EXPECT_RECT(hud.frame("gap"), 78.5, 0, 180, 32);
    EXPECT_RECT(hud.frame("right"), 337 - 12 - 10, 11, 10, 10);  // pushed out, centred vertically

    // An island no wider than the notch: both wings vanish, the gap keeps the notch width.
    Layout idle(wings.environment(islandWidth, 100.0));
    EXPECT_EQ(idle.frame("wings").width(), 180);
    EXPECT_EQ(idle.frame("gap").x(), 0);
    Layout unset(wings);
    EXPECT_EQ(unset.frame("wings").width(), 180);
}

}  // namespace
}  // namespace quorlix::ui
