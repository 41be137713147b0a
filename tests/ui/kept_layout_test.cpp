// A tree built again whole keeps the layout and the stamps of the elements that come out alike,
// and only those: whatever differs in a view's inputs (its text, an environment value, an
// action, its children) is laid out and drawn anew, and an animation under way goes on.

#include "live_test_support.h"
#include "ui/damage.h"


namespace quorlix::ui {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace kept_layout_test {

using testing::dumped;

struct Look : ObservableObject {
    Published<std::string> title{this, "Música"};
    Published<double> titleSize{this, 13};
    Published<Color> rowInk{this, Color::white};
    Published<int> rows{this, 3};
    Published<double> bar{this, 80};
    Published<RoundedCornerStyle> corners{this, RoundedCornerStyle::circular};
};

// The root reads the object, so any change of it builds the whole tree again.
struct Screen {
    Look* look;
    std::function<void()>* tap;
    View body(Context& ctx) const {
        ctx.observe(*look);
        Views rows;
        for (int i = 0; i < look->rows.get(); ++i) rows.push_back(Text("fila " + std::to_string(i)));
        return VStack({.alignment = HorizontalAlignment::leading, .spacing = 4},
                      {
                          Text(look->title.get()).font(Font::system(look->titleSize.get())),
                          VStack({.spacing = 2}, std::move(rows)).foregroundStyle(look->rowInk.get()),
                          RoundedRectangle(1.5, look->corners.get())
                              .fill(Color::orange)
                              .frame({.width = look->bar.get(), .height = 4})
                              .animation(Animation::linear(1), look->bar.get())
                              .onTapGesture(*tap),
                          Text("fijo").id("fixed"),
                      })
            .padding(6)
            .clipShape(RoundedRectangle(8))
            .shadow(Color::black.opacity(0.3), 4);
    }
};

constexpr Size canvas{240, 200};

TEST(KeptLayout, OnlyWhatIsAlikeKeepsItsLayoutAndStamp) {
    struct Case {
        const char* what;
        std::function<void(Look&, std::function<void()>&, int&)> change;
        bool draws;  // whether what is shown changes in every container
    };
    const std::vector<Case> cases = {
        {"nothing (the same values set again)", [](Look& l, auto&, int&) { l.title = l.title.get(); }, false},
        {"a text", [](Look& l, auto&, int&) { l.title = "Clima"; }, true},
        {"a text of the same length", [](Look& l, auto&, int&) { l.title = "Músicb"; }, true},
        {"an environment value (font)", [](Look& l, auto&, int&) { l.titleSize = 15; }, true},
        {"an environment value (foreground)", [](Look& l, auto&, int&) { l.rowInk = Color::orange; }, true},
        {"the number of children", [](Look& l, auto&, int&) { l.rows = 4; }, true},
        {"fewer children", [](Look& l, auto&, int&) { l.rows = 2; }, true},
        {"a shape's corners", [](Look& l, auto&, int&) { l.corners = RoundedCornerStyle::continuous; }, true},
        {"an action",
         [](Look& l, std::function<void()>& tap, int& taps) {
             tap = [&taps] { taps += 10; };
             l.title = l.title.get();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FixedFontEngine fonts;
        Look look;
        int taps = 0;
        std::function<void()> tap = [&taps] { ++taps; };
        ViewGraph graph(fonts);
        const View root(Screen{&look, &tap});
        graph.update(root, canvas);
        const std::shared_ptr<const DisplayItem> before = graph.shownList();
        const std::uint64_t fixedStamp = before->findId("fixed")->stamp;

        c.change(look, tap, taps);
        graph.invalidate(look);
        graph.update(root, canvas);
        const DisplayItem& after = graph.displayList();

        // The tree a graph of its own renders from these values.
        ViewGraph fresh(fonts);
        EXPECT_EQ(dumped(after), dumped(fresh.update(root, canvas)));
        EXPECT_EQ(damageBetween(*before, after).isEmpty(), !c.draws);
        // A part that did not change keeps its stamp where it stays, so the compare does not
        // look into it.
        const DisplayItem* fixed = after.findId("fixed");
        EXPECT_EQ(fixed->stamp == fixedStamp, fixed->frame == before->findId("fixed")->frame);

        // The action shown is the one the last render was given.
        const DisplayItem* tappable =
            after.find([](const DisplayItem& i) { return i.interaction != nullptr; });
        ASSERT_NE(tappable, nullptr);
        ASSERT_FALSE(tappable->interaction->taps.empty());
        tappable->interaction->taps.front().second();
        EXPECT_EQ(taps, std::string(c.what) == "an action" ? 10 : 1);
    }
}

TEST(KeptLayout, ATreeBuiltAgainUnchangedLetsAnAnimationUnderWayGoOn) {
    fakes::FixedFontEngine fonts;
    Look look;
    std::function<void()> tap = [] {};
    const View root(Screen{&look, &tap});
    auto barWidth = [](const DisplayItem& list) {
        return list.find([](const DisplayItem& i) { return i.role == std::string("Shape"); })->frame.width();
    };
    // One graph built again unchanged halfway through the bar's animation, one left alone.
    ViewGraph rebuilt(fonts), alone(fonts);
    for (ViewGraph* g : {&rebuilt, &alone}) {
        g->update(root, canvas, {}, {0});
        look.bar = 160;
        g->invalidate(look);
        g->update(root, canvas, {}, {0});
        look.bar = 80;
    }
    look.bar = 160;
    EXPECT_NEAR(barWidth(rebuilt.present(0.5)), 120, 1e-6);
    rebuilt.invalidate(look);
    rebuilt.update(root, canvas, {}, {0.5});
    EXPECT_TRUE(rebuilt.isAnimating());
    EXPECT_NEAR(barWidth(rebuilt.present(0.75)), 140, 1e-6);
    for (double t : {0.5, 0.75, 2.0}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(dumped(rebuilt.present(t)), dumped(alone.present(t)));
    }
}

// A part in the middle of the tree whose answers change in every way its parents read them:
// its size, its baseline, its layout priority, whether it shows at all. Only it is built again.
struct Part : ObservableObject {
    Published<std::string> text{this, "ab"};
    Published<double> size{this, 13};
    Published<double> priority{this, 0};
    Published<bool> shown{this, true};
};

struct PartView {
    Part* part;
    View body(Context& ctx) const {
        ctx.observe(*part);
        if (!part->shown.get()) return EmptyView();
        return Text(part->text.get())
            .font(Font::system(part->size.get()))
            .lineLimit(1)
            .layoutPriority(part->priority.get());
    }
};

TEST(KeptLayout, APartBuiltAgainMovesWhatItsAnswersMoveAndNothingElse) {
    // Containers around the part, each reading another of its answers: stacks that share room by
    // size and priority or line up baselines, a fixed frame that answers alike whatever is
    // inside, a centred overlay.
    const std::vector<std::pair<const char*, std::function<View(Part*)>>> roots = {
        {"a stack sharing a fixed width",
         [](Part* p) {
             return HStack({Text("izquierda").lineLimit(1), PartView{p}, Text("derecha").lineLimit(1).id("fixed")})
                 .frame({.width = 150});
         }},
        {"a stack lining up text baselines",
         [](Part* p) {
             return HStack({.alignment = VerticalAlignment::firstTextBaseline},
                           {Text("arriba").font(Font::system(20)), View(PartView{p}).frame({.width = 90, .height = 30}),
                            Text("fijo").id("fixed")})
                 .padding(4);
         }},
        {"a fixed frame in a stack",
         [](Part* p) {
             return VStack({View(PartView{p}).frame({.width = 60, .height = 20}), Text("debajo").id("fixed")});
         }},
        {"nested stacks, centred",
         [](Part* p) {
             return VStack({HStack({Text("a"), PartView{p}}).padding(3), Text("fijo").id("fixed")})
                 .background(Color::orange);
         }},
    };
    struct Step {
        const char* what;
        std::function<void(Part&)> change;
        bool draws;  // whether what is shown changes in every container
    };
    const std::vector<Step> steps = {
        {"a text of the same width", [](Part& p) { p.text = "ba"; }, true},
        {"a wider text", [](Part& p) { p.text = "una línea más larga que el sitio"; }, true},
        {"a smaller font (and baseline)", [](Part& p) { p.size = 9; }, true},
        {"a higher priority", [](Part& p) { p.priority = 1; }, false},
        {"the same answers again", [](Part& p) { p.text = p.text.get(); }, false},
        {"hidden", [](Part& p) { p.shown = false; }, true},
        {"shown, narrower",
         [](Part& p) {
             p.shown = true;
             p.text = "c";
             p.priority = 0;
         },
         true},
    };
    for (const auto& [what, make] : roots) {
        SCOPED_TRACE(what);
        fakes::FixedFontEngine fonts;
        Part part;
        const View root = make(&part);
        ViewGraph graph(fonts);
        graph.update(root, canvas);
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            const std::shared_ptr<const DisplayItem> before = graph.shownList();
            step.change(part);
            graph.invalidate(part);
            graph.update(root, canvas);
            EXPECT_EQ(graph.evaluatedViews(), 1u);
            ViewGraph fresh(fonts);
            EXPECT_EQ(dumped(graph.displayList()), dumped(fresh.update(root, canvas)));
            if (step.draws) {
                EXPECT_FALSE(damageBetween(*before, graph.displayList()).isEmpty());
            }
        }
    }
}

}  // namespace kept_layout_test
}  // namespace
}  // namespace quorlix::ui
