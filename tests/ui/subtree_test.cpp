// Renders of part of the tree: a state change, an observed object's change or a timeline's
// entry evaluates again only the views concerned, and the tree it leaves is the one a render
// of the whole tree makes.

#include "live_test_support.h"

#include <random>

namespace quorlix::ui {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace subtree_test {

using testing::dumped;

struct Knobs : ObservableObject {
    Published<std::string> title{this, "Música"};
    Published<int> rows{this, 3};
    Published<bool> extra{this, false};
    Published<double> width{this, 120};
};

struct Counts {
    int root = 0, header = 0, row = 0, rows = 0, ticks = 0;
    std::map<int, State<int>> taps;
    State<int> pair;
};

// A row: its own state, and a body that is sometimes nothing (a view standing for no
// element in its stack), sometimes two texts.
struct Row : ViewModifiers<Row> {
    int index;
    Counts* counts;
    View body(Context& ctx) const {
        ++counts->row;
        auto taps = ctx.state<int>(0);
        counts->taps.insert_or_assign(index, taps);
        const int n = taps.get() % 3;
        if (n == 1) return EmptyView();
        return Group(
            {Text("fila " + std::to_string(index) + ":" + std::to_string(taps.get())),
             If(n == 2, View(Text(std::string(static_cast<std::size_t>(index + 1), 'x')).id(index)))});
    }
};

// Two rows and a text as one view: its elements are siblings of the rows' in their stack.
struct Pair : ViewModifiers<Pair> {
    int first;
    Counts* counts;
    View body(Context& ctx) const {
        auto taps = ctx.state<int>(0);
        counts->pair = taps;
        return Group({Row{.index = first, .counts = counts}, Text("par " + std::to_string(taps.get())),
                      Row{.index = first + 1, .counts = counts}});
    }
};

struct Header : ViewModifiers<Header> {
    Knobs* knobs;
    Counts* counts;
    View body(Context& ctx) const {
        ++counts->header;
        ctx.observe(*knobs);
        return HStack({Text(knobs->title.get()).lineLimit(1), Spacer(), Symbol("play.fill")})
            .frame({.width = knobs->width.get()})
            .animation(Animation::spring(0.3, 0.8), knobs->width.get());
    }
};

struct Rows : ViewModifiers<Rows> {
    Knobs* knobs;
    Counts* counts;
    View body(Context& ctx) const {
        ++counts->rows;
        ctx.observe(*knobs);
        Views rows{Pair{.first = 10, .counts = counts}};
        for (int i = 0; i < knobs->rows.get(); ++i) rows.push_back(Row{.index = i, .counts = counts});
        return VStack({.alignment = HorizontalAlignment::leading, .spacing = 2},
                      {Group(std::move(rows)),
                       // A timeline that comes and goes with the part around it.
                       If(knobs->extra.get(),
                          Group({Text("uno"), TimelineView(TimelineSchedule::periodic(Date(0), 0.5),
                                                           [](const TimelineContext& t) {
                                                               return Text(std::to_string(static_cast<long>(
                                                                   t.date.secondsSince1970 * 2)));
                                                           })}))});
    }
};

struct Root : ViewModifiers<Root> {
    Knobs* knobs;
    Counts* counts;
    View body(Context&) const {
        ++counts->root;
        return VStack({.spacing = 4},
                      {
                          Header{.knobs = knobs, .counts = counts},
                          HStack({Rows{.knobs = knobs, .counts = counts}, Spacer(0),
                                  TimelineView(TimelineSchedule::periodic(Date(0), 1),
                                               [c = counts](const TimelineContext& t) {
                                                   ++c->ticks;
                                                   return Text(std::to_string(static_cast<long>(
                                                                                  t.date.secondsSince1970) %
                                                                              7))
                                                       .monospacedDigit();
                                               })}),
                      })
            .font(Font::system(10))
            .padding(6);
    }
};

class Tree {
public:
    Tree() : host_(fonts_, View(Root{.knobs = &knobs, .counts = &counts}), {240, 200}) { host_.render(); }
    fakes::VirtualTime time;
    Knobs knobs;
    Counts counts;

    ViewHost& host() { return host_; }
    std::string shown() { return dumped(host_.graph().displayList()); }
    // The list a render of the whole tree makes now (and keeps rendering from there).
    std::string whole() {
        host_.setEnvironment({});
        host_.render();
        return shown();
    }

private:
    fakes::FixedFontEngine fonts_;
    ViewHost host_;
};

TEST(Subtree, AChangeEvaluatesOnlyTheViewsThatReadIt) {
    Tree t;
    EXPECT_EQ(t.counts.root, 1);
    EXPECT_EQ(t.counts.row, 5);

    // A row's state: that row alone.
    const Counts before = t.counts;
    t.counts.taps.at(1) = 2;
    t.time.runPending();
    EXPECT_EQ(t.counts.row, before.row + 1);
    EXPECT_EQ(t.counts.root, before.root);
    EXPECT_EQ(t.counts.header, before.header);
    EXPECT_EQ(t.counts.rows, before.rows);
    EXPECT_EQ(t.host().graph().evaluatedViews(), 1u);
    EXPECT_NE(t.host().displayList().findText("fila 1:2"), nullptr);
    EXPECT_NE(t.host().displayList().findText("xx"), nullptr);

    // An observed object: the views that observe it (and those they build), not the root.
    t.knobs.title = "Clima";
    t.time.runPending();
    EXPECT_EQ(t.counts.root, before.root);
    EXPECT_GT(t.counts.header, before.header);
    EXPECT_NE(t.host().displayList().findText("Clima"), nullptr);

    // A timeline's entry: its content alone.
    const Counts ticking = t.counts;
    t.time.advance(1);
    EXPECT_EQ(t.counts.ticks, ticking.ticks + 1);
    EXPECT_EQ(t.counts.row, ticking.row);
    EXPECT_EQ(t.counts.header, ticking.header);
    EXPECT_EQ(t.counts.root, ticking.root);
}

TEST(Subtree, RendersOfPartsLeaveTheTreeAWholeRenderMakes) {
    Tree t;
    std::mt19937 random(77);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int step = 0; step < 200; ++step) {
        std::string what;
        // Taps on rows and on the pair change how many elements a view stands for.
        const int op = pick(10);
        switch (op >= 7 ? op % 2 == 0 ? 0 : 6 : op) {
            case 0:
                what = "tap";
                if (!t.counts.taps.empty()) {
                    auto it = t.counts.taps.begin();
                    std::advance(it, pick(static_cast<int>(t.counts.taps.size())));
                    it->second = it->second.get() + 1 + pick(2);
                }
                break;
            case 1:
                what = "title";
                t.knobs.title = pick(2) ? "Un título bastante más largo" : "Música";
                break;
            case 2:
                what = "rows";
                t.knobs.rows = 1 + pick(4);
                break;
            case 3:
                what = "extra";
                t.knobs.extra = !t.knobs.extra.get();
                break;
            case 4:
                what = "width";
                withAnimation(Animation::spring(0.3, 0.8), [&] { t.knobs.width = 90 + pick(80); });
                break;
            case 5: what = "time"; break;
            case 6:
                what = "pair";
                t.counts.pair = t.counts.pair.get() + 1;
                break;
        }
        t.time.advance(pick(2) ? 0.05 : 1.0);
        // Now and then (renders of parts pile up in between), against a render of the whole.
        if (pick(3) != 0) continue;
        const std::string parts = t.shown();
        ASSERT_EQ(parts, t.whole()) << "after step " << step << " (" << what << ")";
    }
}

TEST(Subtree, AViewStandingForSeveralElementsFollowsTheirNumber) {
    // The pair's elements run from its first row's to its second row's; when the second row
    // stands for more or fewer elements, the pair built again must take exactly its own.
    Tree t;
    for (const int taps : {1, 2, 3}) {
        t.counts.taps.at(11) = taps;
        t.time.runPending();
        t.counts.pair = t.counts.pair.get() + 1;
        t.time.runPending();
        const std::string parts = t.shown();
        ASSERT_EQ(parts, t.whole()) << "second row tapped " << taps << " times";
    }
}

TEST(Subtree, AGeometryReaderKeepsContentThatReadOnlyItsSize) {
    // Inside a reader, a timeline's entry or a view's state builds only what asked, unless the
    // content reads where the reader stands: then the reader builds it all again each render.
    struct Tapped {
        State<int>* handle;
        View body(Context& ctx) const {
            auto n = ctx.state<int>(0);
            *handle = n;
            return Text("toques " + std::to_string(n.get()));
        }
    };
    struct Screen {
        bool readsPlace;
        int* built;
        int* ticks;
        State<int>* taps;
        View body(Context&) const {
            return GeometryReader([*this](const GeometryProxy& g) {
                ++*built;
                const double x = readsPlace ? g.frame(CoordinateSpace::global).x() : 0;
                return VStack({
                    Text("ancho " + std::to_string(static_cast<int>(g.size().width + x))),
                    Tapped{taps},
                    TimelineView(TimelineSchedule::periodic(Date(0), 1),
                                 [ticks = ticks](const TimelineContext& t) {
                                     ++*ticks;
                                     return Text("s" +
                                                 std::to_string(static_cast<long>(t.date.secondsSince1970)));
                                 }),
                });
            });
        }
    };
    for (const bool readsPlace : {false, true}) {
        SCOPED_TRACE(readsPlace ? "reads its place" : "reads its size");
        fakes::VirtualTime time;
        fakes::FixedFontEngine fonts;
        int built = 0, ticks = 0;
        State<int> taps;
        ViewHost host(fonts, View(Screen{readsPlace, &built, &ticks, &taps}), {200, 100});
        host.render();
        const int first = built;
        const auto whole = [&] {
            const std::string parts = dumped(host.graph().displayList());
            host.setEnvironment({});
            host.render();
            return std::pair(parts, dumped(host.graph().displayList()));
        };

        time.advance(1);
        EXPECT_EQ(ticks, 2);
        taps = 3;
        time.runPending();
        EXPECT_NE(host.displayList().findText("toques 3"), nullptr);
        if (readsPlace) {
            EXPECT_EQ(built, first + 2);
        } else {
            EXPECT_EQ(built, first);
            EXPECT_EQ(host.graph().evaluatedViews(), 1u);
        }
        const auto [parts, all] = whole();
        EXPECT_EQ(parts, all);
        // Another size builds the content again, for it.
        host.setSize({150, 100});
        time.runPending();
        EXPECT_NE(host.displayList().findText("ancho 150"), nullptr);
    }
}

TEST(Subtree, StateOfAViewThatLeftIsForgottenWhenItComesBack) {
    // A view's state lives as long as its identity stays in the tree, renders of parts included.
    struct Inner {
        State<int>* handle;
        View body(Context& ctx) const {
            auto n = ctx.state<int>(0);
            *handle = n;
            return Text("n" + std::to_string(n.get()));
        }
    };
    struct Outer {
        State<bool>* shown;
        State<int>* inner;
        View body(Context& ctx) const {
            auto s = ctx.state<bool>(true);
            *shown = s;
            return VStack({Text("arriba"), If(s.get(), View(Inner{inner}))});
        }
    };
    fakes::VirtualTime time;
    fakes::FixedFontEngine fonts;
    State<bool> shown;
    State<int> inner;
    ViewHost host(fonts, View(Outer{&shown, &inner}), {200, 100});
    host.render();
    inner = 5;
    time.runPending();
    EXPECT_NE(host.displayList().findText("n5"), nullptr);
    shown = false;
    time.runPending();
    EXPECT_EQ(host.displayList().findText("n5"), nullptr);
    shown = true;
    time.runPending();
    EXPECT_NE(host.displayList().findText("n0"), nullptr);
}

TEST(Subtree, AChangeMadeAsAViewAppearsReachesAViewThatHasJustStartedReadingTheObject) {
    // The object is read by no view until the one that changes it on appearing comes in.
    struct Reader {
        View body(Context& ctx) const {
            Knobs& knobs = ctx.object<Knobs>();
            return Text(knobs.title.get()).onAppear([&knobs] { knobs.title = "Letra"; });
        }
    };
    struct Outer {
        State<bool>* shown;
        View body(Context& ctx) const {
            auto s = ctx.state<bool>(false);
            *shown = s;
            return VStack({Text("arriba"), If(s.get(), View(Reader{}))});
        }
    };
    fakes::VirtualTime time;
    fakes::FixedFontEngine fonts;
    Knobs knobs;
    State<bool> shown;
    ViewHost host(fonts, View(Outer{&shown}).environmentObject(knobs), {200, 100});
    host.render();
    shown = true;
    time.runPending();
    EXPECT_NE(host.displayList().findText("Letra"), nullptr);
}

}  // namespace subtree_test
}  // namespace
}  // namespace quorlix::ui
