// The view tree: identities, environment values and objects, custom views, drawing records.

#include "ui_test_support.h"

namespace quorlix::ui {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace view_tree_test {

using testing::box;
using testing::Layout;

Identity identityOf(const Layout& l, const char* text) { return l.text(text).identity; }

TEST(Identity, IsStableForTheSameStructureAndChangesWithExplicitIds) {
    auto tree = [](int id) { return VStack({Text("a"), Text("b").id(id)}); };
    Layout first(tree(1)), again(tree(1)), other(tree(2));
    EXPECT_EQ(identityOf(first, "a"), identityOf(again, "a"));
    EXPECT_EQ(identityOf(first, "b"), identityOf(again, "b"));
    EXPECT_EQ(identityOf(first, "a"), identityOf(other, "a"));
    EXPECT_NE(identityOf(first, "b"), identityOf(other, "b"));
    EXPECT_NE(identityOf(first, "a"), identityOf(first, "b"));
}

TEST(Identity, ConditionBranchesDifferAndForEachFollowsItemIds) {
    Layout shown(VStack({If(true, Text("x"), Text("x"))}));
    Layout hidden(VStack({If(false, Text("x"), Text("x"))}));
    EXPECT_NE(identityOf(shown, "x"), identityOf(hidden, "x"));

    struct Item {
        int id;
        std::string name;
    };
    auto list = [](std::vector<Item> items) {
        return VStack(Views{ForEach(items, [](const Item& i) { return i.id; }, [](const Item& i) { return Text(i.name); })});
    };
    Layout ab(list({{1, "a"}, {2, "b"}})), ba(list({{2, "b"}, {1, "a"}}));
    EXPECT_EQ(identityOf(ab, "a"), identityOf(ba, "a"));
    EXPECT_EQ(identityOf(ab, "b"), identityOf(ba, "b"));
    // Reordered items keep their identity but move.
    EXPECT_LT(ab.text("a").frame.y(), ab.text("b").frame.y());
    EXPECT_GT(ba.text("a").frame.y(), ba.text("b").frame.y());
}

inline const EnvironmentKey<std::string> greeting{"hola"};

struct Counter : ObservableObject {
    Published<int> count{this, 3};
};

struct Badge : ViewModifiers<Badge> {
    std::string suffix;
    View body(Context& ctx) const {
        return Text(ctx.environment(greeting) + suffix + std::to_string(ctx.object<Counter>().count.get()));
    }
};

TEST(Environment, ValuesAndObjectsReachCustomViewsBelowTheirWriter) {
    Counter counter;
    Layout l(VStack({
                 Badge{.suffix = "-"},
                 Badge{.suffix = "+"}.environment(greeting, std::string("adiós")),
             })
                 .environmentObject(counter));
    EXPECT_NE(l.list().findText("hola-3"), nullptr);
    EXPECT_NE(l.list().findText("adiós+3"), nullptr);
    // Reading an object subscribes the tree to it.
    ASSERT_EQ(l.graph().observedObjects().size(), 1u);
    EXPECT_EQ(l.graph().observedObjects().front(), &counter);
}

TEST(Environment, FontModifiersCombineAsOnThePlatform) {
    Layout l(VStack({
        Text("w").fontWeight(FontWeight::bold),
        Text("f"),
    }).font(Font::system(20, FontWeight::light)));
    EXPECT_EQ(l.text("w").runs.front().font.weight, 700);
    EXPECT_EQ(l.text("w").runs.front().font.size, 20);
    EXPECT_EQ(l.text("f").runs.front().font.weight, 300);
    // An inner font replaces an outer weight override.
    Layout inner(Text("x").font(Font::system(11)).fontWeight(FontWeight::heavy));
    EXPECT_EQ(inner.text("x").runs.front().font.weight, 400);
}

TEST(DisplayList, RecordsEffectsTransformsAndHelp) {
    Layout l(box(40, 20)
                 .opacity(0.5)
                 .shadow(Color::black.opacity(0.3), 6, 0, 2)
                 .blur(3)
                 .scaleEffect(2, UnitPoint::topLeading)
                 .offset(10, 5)
                 .help("Salida de audio")
                 .id("v"));
    const DisplayItem* v = l.list().findId("v");
    ASSERT_NE(v, nullptr);
    EXPECT_NE(l.list().find([](const DisplayItem& i) { return i.opacity == 0.5; }), nullptr);
    EXPECT_NE(l.list().find([](const DisplayItem& i) { return i.shadow && i.shadow->radius == 6; }), nullptr);
    EXPECT_NE(l.list().find([](const DisplayItem& i) { return i.blurRadius == 3; }), nullptr);
    EXPECT_NE(l.list().find([](const DisplayItem& i) { return i.help == "Salida de audio"; }), nullptr);
    // The colour is drawn at (10, 5), twice as large, though its layout frame is unchanged.
    const DisplayItem* fill = l.list().find([](const DisplayItem& i) { return i.kind == DisplayItem::Kind::shape; });
    ASSERT_NE(fill, nullptr);
    EXPECT_RECT(fill->frame, 0, 0, 40, 20);
    EXPECT_RECT(l.list().drawnFrame(fill), 10, 5, 80, 40);
}

TEST(DisplayList, ClipsUseTheShapeInTheViewsFrame) {
    Layout l(box(40, 20).padding(10).clipShape(Capsule()).id("c"));
    const DisplayItem* clip = l.list().find([](const DisplayItem& i) { return i.clip.has_value(); });
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(*clip->clip, Capsule().path({0, 0, 60, 40}));
    EXPECT_TRUE(clip->needsLayer());  // a curved clip is antialiased through a layer
    Layout rect(box(40, 20).clipped());
    const DisplayItem* r = rect.list().find([](const DisplayItem& i) { return i.clip.has_value(); });
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(r->needsLayer());
}

TEST(DisplayList, GroupOpacityNeedsALayerOnlyForSeveralDrawings) {
    Layout one(box(10, 10).opacity(0.5));
    Layout two(ZStack({box(10, 10), box(5, 5)}).opacity(0.5));
    auto faded = [](const Layout& l) { return l.list().find([](const DisplayItem& i) { return i.opacity < 1; }); };
    ASSERT_NE(faded(one), nullptr);
    ASSERT_NE(faded(two), nullptr);
    EXPECT_FALSE(faded(one)->needsLayer());
    EXPECT_TRUE(faded(two)->needsLayer());
}

TEST(Symbols, DrawTheirCataloguedGlyphSizedByTheFont) {
    Layout l(HStack({Symbol("speaker.wave.2.fill").font(Font::system(12, FontWeight::semibold)).id("s"),
                     Symbol("no.such.symbol").id("m")}));
    const DisplayItem* s = l.list().findSymbol("speaker.wave.2.fill");
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->symbolMissing);
    ASSERT_EQ(s->runs.size(), 1u);
    EXPECT_EQ(s->runs[0].font.face, Typeface::symbols);
    EXPECT_EQ(s->runs[0].text, "\xEE\x81\x90");  // U+E050, the "volume_up" glyph
    EXPECT_GT(s->runs[0].embolden, 0);           // semibold thickens the outline
    EXPECT_NEAR(l.frame("s").width(), 12.5, 1e-9);
    // An unknown name draws a visible stand-in and says so.
    EXPECT_TRUE(l.list().findSymbol("no.such.symbol")->symbolMissing);
}

TEST(Paths, TrimKeepsTheFractionOfTheLength) {
    Path square;
    square.addRect({0, 0, 10, 10});
    const auto half = square.trimmed(0, 0.5).flattened();
    ASSERT_EQ(half.size(), 1u);
    EXPECT_EQ(half[0].front(), (Point{0, 0}));
    EXPECT_EQ(half[0].back(), (Point{10, 10}));
    EXPECT_TRUE(square.trimmed(0.6, 0.4).isEmpty());
    EXPECT_EQ(square.trimmed(0, 1), square);
}

TEST(Paths, ContinuousCornersStayWithinTheRectangleAndCapsulesAreRound) {
    Path p;
    p.addRoundedRect({0, 0, 100, 40}, 10, true);
    const Rect b = p.controlBounds();
    EXPECT_RECT(b, 0, 0, 100, 40);
    // A capsule's ends are half circles: the point at 45° lies on the circle.
    Path capsule = Capsule(RoundedCornerStyle::continuous).path({0, 0, 100, 40});
    const auto poly = capsule.flattened(0.01).front();
    const Point c{20, 20};
    Point diagonal{0, 0};
    double best = 1e9;
    for (const auto& q : poly) {
        if (q.x < 20 && q.y < 20 && std::abs(q.x - q.y) < best) {
            best = std::abs(q.x - q.y);
            diagonal = q;
        }
    }
    EXPECT_NEAR(std::hypot(diagonal.x - c.x, diagonal.y - c.y), 20, 0.15);
}

}  // namespace view_tree_test
}  // namespace
}  // namespace quorlix::ui
