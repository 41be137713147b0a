// Springs and curves, implicit and explicit animation, transitions and content transitions.

#include "live_test_support.h"

#include <cmath>
#include <numbers>

namespace quorlix::ui {
namespace {

using testing::Live;

// The damped oscillator of unit mass with stiffness (2π/response)² and damping
// 4π·ζ/response, written out for the underdamped case: displacement and velocity.
struct Oscillator {
    double response, zeta;
    double w0() const { return 2 * std::numbers::pi / response; }
    double wd() const { return w0() * std::sqrt(1 - zeta * zeta); }
    double x(double x0, double v0, double t) const {
        return std::exp(-zeta * w0() * t) *
               (x0 * std::cos(wd() * t) + (v0 + zeta * w0() * x0) / wd() * std::sin(wd() * t));
    }
    double v(double x0, double v0, double t) const {
        const double h = 1e-6;
        return (x(x0, v0, t + h) - x(x0, v0, t - h)) / (2 * h);
    }
};

TEST(Spring, FollowsTheClosedFormSolution) {
    const Oscillator o{0.5, 0.6};
    const AnimationTrack track(Animation::spring(0.5, 0.6), {0, 10}, {100, 10}, {0, 0}, 7.0);
    for (double t : {0.02, 0.1, 0.25, 0.4, 0.8, 1.3}) {
        const auto s = track.sample(7.0 + t);
        EXPECT_NEAR(s.value[0], 100 + o.x(-100, 0, t), 1e-9) << "at " << t;
        EXPECT_NEAR(s.velocity[0], o.v(-100, 0, t), 1e-4) << "at " << t;
        EXPECT_EQ(s.value[1], 10);  // a component already at its target stays there
    }
    // Critically damped: x(t) = (x0 + (v0 + ω x0) t) e^(−ωt), never past the target.
    const AnimationTrack critical(Animation::spring(0.4, 1.0), {0}, {1}, {0}, 0);
    const double w = 2 * std::numbers::pi / 0.4;
    for (double t : {0.05, 0.2, 0.5}) {
        EXPECT_NEAR(critical.sample(t).value[0], 1 - (1 + w * t) * std::exp(-w * t), 1e-9);
        EXPECT_LE(critical.sample(t).value[0], 1);
    }
    // An overdamped spring creeps in without overshoot either.
    const AnimationTrack heavy(Animation::spring(0.3, 2.0), {0}, {1}, {0}, 0);
    double last = 0;
    for (double t = 0.01; t < 2; t += 0.01) {
        const double v = heavy.sample(t).value[0];
        EXPECT_GE(v, last);
        EXPECT_LE(v, 1);
        last = v;
    }
}

TEST(Spring, SettlesWhenItsMotionDiesAndTheHostThenStops) {
    // A frame rests within 1/256 of a point of its target, closer than an edge can be drawn
    // to move; any other value (here an opacity) within a thousandth.
    struct Case {
        const char* what;
        double distance, rest;
        std::function<View(double)> view;
        std::function<double(Live&)> read;
    };
    const Case cases[] = {
        {"frame", 100, 1.0 / 256,
         [](double v) { return Color::red.frame({.width = v, .height = 10}).id("bar"); },
         [](Live& l) { return l.item("bar").frame.width(); }},
        {"opacity", 0.5, 1e-3,
         [](double v) { return Color::red.frame({.width = 10, .height = 10}).opacity(v); },
         [](Live& l) { return l.shown().findRole("opacity")->opacity; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Live l([&] { return c.view(l.model.value.get()); });
        withAnimation(Animation::spring(0.5, 0.6), [&] { l.model.value = c.distance; });
        l.time.runPending();
        // The first moment its energy is that of a spring at rest as far as its rest.
        const Oscillator o{0.5, 0.6};
        double settled = 0;
        for (double t = 0; settled == 0 && t < 5; t += 1e-4) {
            const double x = o.x(-c.distance, 0, t), v = o.v(-c.distance, 0, t) / o.w0();
            if (x * x + v * v < c.rest * c.rest) settled = t;
        }
        l.time.advance(settled - 0.03);
        EXPECT_TRUE(l.host().isFrameScheduled());
        EXPECT_NE(c.read(l), c.distance);
        l.time.advance(0.08);
        EXPECT_FALSE(l.host().isFrameScheduled());
        EXPECT_LT(l.time.queue.nextDueIn(), 0);
        EXPECT_EQ(c.read(l), c.distance);
    }
}

TEST(Spring, RetargetedKeepsItsPositionAndVelocity) {
    fakes::FixedFontEngine fonts;
    ViewGraph graph(fonts);
    double width = 0;
    auto view = [&] { return Color::red.frame({.width = width, .height = 10}).id("bar"); };
    auto widthAt = [&](double t) { return graph.present(t).findId("bar")->frame.width(); };
    graph.update(view(), {300, 100}, {}, {0});
    width = 200;
    withAnimation(Animation::spring(0.5, 0.8), [&] { graph.invalidation().invalidate(); });
    graph.update(view(), {300, 100}, {}, {0});

    const Oscillator o{0.5, 0.8};
    const double t1 = 0.12, h = 1e-4;
    const double at = widthAt(t1);
    const double velocity = (widthAt(t1 + h) - widthAt(t1 - h)) / (2 * h);
    EXPECT_NEAR(at, 200 + o.x(-200, 0, t1), 1e-9);
    EXPECT_GT(velocity, 100);

    width = 50;
    withAnimation(Animation::spring(0.5, 0.8), [&] { graph.invalidation().invalidate(); });
    graph.update(view(), {300, 100}, {}, {t1});
    EXPECT_NEAR(widthAt(t1), at, 1e-9);
    EXPECT_NEAR((widthAt(t1 + 1e-6) - widthAt(t1)) / 1e-6, velocity, 0.05);
    // From there it is the closed form towards 50, starting with that velocity.
    const double v0 = o.v(-200, 0, t1);
    for (double dt : {0.05, 0.2, 0.6}) EXPECT_NEAR(widthAt(t1 + dt), 50 + o.x(at - 50, v0, dt), 1e-6);

    // A blend duration eases the new spring's response in: no jump, and it comes to rest.
    const auto first = std::make_shared<const AnimationTrack>(Animation::spring(0.2, 0.9), AnimatableData{0},
                                                              AnimatableData{100}, AnimatableData{0}, 0);
    const auto s = first->sample(0.1);
    const AnimationTrack blended(Animation::spring(0.8, 0.9, 0.5), s.value, {0}, s.velocity, 0.1, first);
    EXPECT_NEAR(blended.sample(0.1).value[0], s.value[0], 1e-9);
    EXPECT_NEAR(blended.sample(0.1 + 1e-4).value[0], s.value[0] + s.velocity[0] * 1e-4, 0.05);
    EXPECT_TRUE(blended.sample(6).finished);
}

// Where a motion turns back is where it goes farthest: nowhere between its start and its end
// does it stand farther from its target than at a turn (a window sized to hold those holds the
// whole motion). A held motion stands still, then goes on as it would have.
TEST(Spring, TurnsWhereItGoesFarthestAndWaitsWhenHeld) {
    struct Case {
        const char* what;
        Animation animation;
        double velocity;
        std::size_t turns;  // how many turns it has ahead
    };
    const Case cases[] = {
        {"underdamped, from rest", Animation::spring(0.34, 0.82), 0, 2},
        {"underdamped, thrown towards its target", Animation::spring(0.3, 0.5), 900, 2},
        {"underdamped, thrown away", Animation::spring(0.3, 0.5), -900, 2},
        {"critically damped, thrown past its target", Animation::spring(0.4, 1), 3000, 1},
        {"critically damped, from rest", Animation::spring(0.4, 1), 0, 0},
        {"overdamped, thrown away", Animation::spring(0.3, 2), -900, 1},
        {"a repeating curve", Animation::easeInOut(0.3).repeatCount(4), 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // From 0 to 100, starting at 2 s: how far past its target and short of it it stands.
        const AnimationTrack track(c.animation, {0, 40}, {100, 40}, {c.velocity, 0}, 2.0);
        const auto beyond = [&](double t) {
            const double x = track.sample(t).value[0] - 100;
            return std::pair{std::max(x, 0.0), std::max(-x, 0.0)};
        };
        std::pair<double, double> farthest{0, 0}, atTurns{0, 100};
        for (double t = 2.0; t < 4.0; t += 1e-4)
            farthest = {std::max(farthest.first, beyond(t).first),
                        std::max(farthest.second, beyond(t).second)};
        const std::vector<double> turns = track.turningTimes(2.0);
        ASSERT_EQ(turns.size(), c.turns);
        for (const double t : turns)
            atTurns = {std::max(atTurns.first, beyond(t).first), std::max(atTurns.second, beyond(t).second)};
        EXPECT_NEAR(atTurns.first, farthest.first, 1e-3) << "past the target";
        EXPECT_NEAR(atTurns.second, farthest.second, 1e-3) << "short of it";

        const std::shared_ptr<const AnimationTrack> held = track.postponed(2.1, 0.5);
        const double stood = track.sample(2.1).value[0];
        EXPECT_EQ(held->sample(2.3).value[0], stood);
        EXPECT_EQ(held->sample(2.6).value[0], stood);
        EXPECT_NEAR(held->sample(2.8).value[0], track.sample(2.3).value[0], 1e-9);
        for (const double t : held->turningTimes(2.1)) EXPECT_GE(t, 2.6);
    }
}

TEST(Curves, EaseAndRepeat) {
    const AnimationTrack linear(Animation::linear(2).delay(0.5), {0}, {10}, {}, 0);
    EXPECT_EQ(linear.sample(0.4).value[0], 0);  // still waiting
    EXPECT_NEAR(linear.sample(1.5).value[0], 5, 1e-9);
    EXPECT_TRUE(linear.sample(2.5).finished);
    // Ease-out is ahead of linear early on; ease-in behind; ease-in-out symmetric.
    const AnimationTrack out(Animation::easeOut(1), {0}, {1}, {}, 0), in(Animation::easeIn(1), {0}, {1}, {}, 0),
        both(Animation::easeInOut(1), {0}, {1}, {}, 0);
    EXPECT_GT(out.sample(0.25).value[0], 0.25);
    EXPECT_LT(in.sample(0.25).value[0], 0.25);
    EXPECT_NEAR(both.sample(0.5).value[0], 0.5, 1e-6);
    EXPECT_NEAR(both.sample(0.25).value[0] + both.sample(0.75).value[0], 1, 1e-6);
    // Forever without reversing: each run starts again from the beginning.
    const AnimationTrack loop(Animation::linear(1).repeatForever(false), {0}, {312}, {}, 0);
    EXPECT_NEAR(loop.sample(3.25).value[0], 78, 1e-6);
    EXPECT_FALSE(loop.sample(1000).finished);
    // Three runs reversing: forward, back, forward, then done at the target.
    const AnimationTrack bounce(Animation::linear(1).repeatCount(3, true), {0}, {1}, {}, 0);
    EXPECT_NEAR(bounce.sample(1.25).value[0], 0.75, 1e-9);
    EXPECT_NEAR(bounce.sample(2.25).value[0], 0.25, 1e-9);
    EXPECT_TRUE(bounce.sample(3.01).finished);
}

TEST(ImplicitAnimation, AnimatesChangesOfItsValueAtVirtualTimes) {
    Live l([&] {
        return Color::red.frame({.width = 10, .height = 10}).opacity(l.model.flag ? 1 : 0).animation(Animation::linear(1), l.model.flag.get()).id("x");
    });
    auto opacity = [&] { return l.shown().findRole("opacity")->opacity; };
    EXPECT_EQ(opacity(), 0);
    l.model.flag = true;  // no transaction: the implicit animation applies
    l.advance(0.25);
    EXPECT_NEAR(opacity(), 0.25, 1e-6);
    l.advance(0.5);
    EXPECT_NEAR(opacity(), 0.75, 1e-6);
    l.advance(0.3);
    EXPECT_EQ(opacity(), 1);
    EXPECT_FALSE(l.host().isFrameScheduled());
    // A render in which the value did not change animates nothing.
    l.model.label = "b";
    l.advance(0);
    EXPECT_FALSE(l.host().isFrameScheduled());
}

TEST(ImplicitAnimation, TheInnermostChangedOneApplies) {
    Live l([&] {
        const bool on = l.model.flag;
        return Color::red.frame({.width = 10, .height = 10}).opacity(on ? 1 : 0)
            .animation(Animation::linear(1), on)
            .frame({.width = on ? 100.0 : 50.0, .height = 10})
            .id("outer")
            .animation(Animation::linear(2), on);
    });
    l.model.flag = true;
    l.advance(0.5);
    EXPECT_NEAR(l.shown().findRole("opacity")->opacity, 0.5, 1e-6);  // inside the inner one
    EXPECT_NEAR(l.item("outer").frame.width(), 62.5, 1e-6);           // only inside the outer one

    // An inner one whose own value did not change lets the outer one through.
    Live m([&] {
        return Color::red.frame({.width = 10, .height = 10}).opacity(m.model.flag ? 1 : 0)
            .animation(Animation::linear(1), 0)
            .animation(Animation::linear(2), m.model.flag.get());
    });
    m.model.flag = true;
    m.advance(0.5);
    EXPECT_NEAR(m.shown().findRole("opacity")->opacity, 0.25, 1e-6);
}

TEST(Transactions, AChangeFromModelCodeAnimatesTheViewsItAffects) {
    Live l([&] {
        return HStack({
            Color::red.frame({.width = l.model.value.get(), .height = 10}).id("bar"),
            Text(l.model.label.get()).id("label"),
        });
    });
    withAnimation(Animation::linear(1), [&] { l.model.value = 80; });
    l.advance(0.5);
    EXPECT_NEAR(l.item("bar").frame.width(), 40, 1e-6);
    // A later change without animation shows at once, and leaves the running motion alone
    // (the bar moves aside for the longer text, and keeps growing).
    l.model.label = "bb";
    l.advance(0);
    EXPECT_NE(l.shown().findText("bb"), nullptr);
    EXPECT_NEAR(l.item("bar").frame.width(), 40, 1e-6);
    // A new target without animation: the motion goes on, moved by the jump, and ends there.
    l.model.value = 10;
    l.advance(0.6);
    EXPECT_EQ(l.item("bar").frame.width(), 10);
    EXPECT_FALSE(l.host().isFrameScheduled());
}

TEST(Transactions, AChangeWithoutAnimationEndsAMotionThatRepeatsForever) {
    Live l([&] {
        const bool on = l.model.flag;
        return Color::red.frame({.width = 10, .height = 10})
            .offset(on ? -312 : 0, 0)
            .animation(on ? std::optional(Animation::linear(10).repeatForever(false)) : std::nullopt, on);
    });
    auto offset = [&] { return l.shown().findRole("offset")->effectParameters.at(0); };
    l.model.flag = true;
    l.advance(12.5);
    EXPECT_NEAR(offset(), -78, 1e-6);  // a quarter into its second run
    l.model.flag = false;
    l.advance(0);
    EXPECT_EQ(offset(), 0);
    EXPECT_FALSE(l.host().isFrameScheduled());
    l.advance(3);
    EXPECT_EQ(offset(), 0);
}

TEST(Transitions, ARemovedViewStaysDrawnUntilItsAnimationEnds) {
    Live l([&] {
        return VStack({
            Color::blue.frame({.width = 10, .height = 10}).id("stay"),
            If(!l.model.flag, Color::red.frame({.width = 20, .height = 20}).transition(AnyTransition::opacity()).id("gone")),
        });
    });
    withAnimation(Animation::linear(1), [&] { l.model.flag = true; });
    l.advance(0.5);
    ASSERT_TRUE(l.has("gone"));
    EXPECT_TRUE(l.item("gone").inert);
    EXPECT_NEAR(l.shown().find([](const DisplayItem& i) { return i.transition != nullptr; })->opacity, 0.5, 1e-6);
    // It takes no room: the stack is laid out without it (and shrinks to that).
    EXPECT_EQ(l.host().graph().displayList().findRole("VStack")->frame.height(), 10);
    l.advance(0.6);
    EXPECT_FALSE(l.has("gone"));
    EXPECT_FALSE(l.host().isFrameScheduled());

    // Removed without an animation, it goes at once.
    l.model.flag = false;
    l.advance(0);
    ASSERT_TRUE(l.has("gone"));
    l.model.flag = true;
    l.advance(0);
    EXPECT_FALSE(l.has("gone"));
}

TEST(Transitions, ListsGrowingAndShrinkingByHundredsKeepEveryViewsMotion) {
    // Each view is found again by its identity from one render to the next, however many there
    // are and however much their number changes between two renders.
    Live l(
        [&] {
            const int count = static_cast<int>(l.model.value.get());
            const double grown = l.model.flag ? 20 : 0;
            return VStack({.spacing = 0}, {ForEach(count, [grown](int i) {
                              return Color::red.frame({.width = 10 + i % 7 + grown, .height = 1})
                                  .transition(AnyTransition::opacity())
                                  .id(i);
                          })});
        },
        {200, 1000});
    l.model.value = 150;
    l.advance(0);
    for (const auto& [count, grown] : {std::pair{260, true}, {60, false}, {400, true}, {3, false}}) {
        const int before = static_cast<int>(l.model.value.get());
        withAnimation(Animation::linear(1), [&] {
            l.model.value = count;
            l.model.flag = grown;
        });
        l.advance(0.5);
        int kept = 0, entering = 0, leaving = 0;
        for (int i = 0; i < std::max(before, count); ++i) {
            const DisplayItem* item = l.shown().findId(i);
            ASSERT_NE(item, nullptr) << i << " of " << before << " to " << count;
            if (i < std::min(before, count)) {
                // Half-way between its widths.
                EXPECT_NEAR(item->frame.width(), 10 + i % 7 + 10, 1e-6) << i;
                ++kept;
                continue;
            }
            const DisplayItem* faded =
                item->find([](const DisplayItem& x) { return x.transition != nullptr; });
            ASSERT_NE(faded, nullptr) << i;
            EXPECT_NEAR(faded->opacity, 0.5, 1e-6) << i;
            ++(i < count ? entering : leaving);
            EXPECT_EQ(item->inert, i >= count) << i;
        }
        EXPECT_EQ(kept + entering + leaving, std::max(before, count));
        l.advance(0.6);
        EXPECT_FALSE(l.host().isFrameScheduled());
        EXPECT_EQ(l.shown().findId(count), nullptr);
        ASSERT_NE(l.shown().findId(count - 1), nullptr);
        EXPECT_EQ(l.shown().findId(count - 1)->frame.width(), 10 + (count - 1) % 7 + (grown ? 20 : 0));
    }
}

TEST(Transitions, InsertionAndRemovalRunTogetherWithTheirOwnAnimations) {
    const auto transition = AnyTransition::asymmetric(
        AnyTransition::scale(0.5, UnitPoint::top).combined(AnyTransition::opacity()).animation(Animation::linear(1)),
        AnyTransition::opacity().animation(Animation::linear(0.5)));
    Live l([&] {
        const int mode = l.model.id;
        return ZStack({Color::red.frame({.width = 40, .height = 20}).id(mode).transition(transition)});
    });
    l.model.id = 2;  // no transaction: the transition's animations apply all the same
    l.advance(0.25);
    const DisplayItem* old = l.shown().findId(1);
    const DisplayItem* fresh = l.shown().findId(2);
    ASSERT_NE(old, nullptr);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NEAR(old->opacity, 0.5, 1e-6);
    EXPECT_NEAR(fresh->opacity, 0.25, 1e-6);
    // Growing from half its size, pinned at its top centre.
    const Rect drawn = l.shown().drawnFrame(fresh);
    EXPECT_NEAR(drawn.width(), 40 * 0.625, 1e-6);
    EXPECT_NEAR(drawn.minY(), fresh->frame.minY(), 1e-6);
    EXPECT_NEAR(drawn.midX(), fresh->frame.midX(), 1e-6);
    l.advance(0.3);
    EXPECT_EQ(l.shown().findId(1), nullptr);
    ASSERT_NE(l.shown().findId(2), nullptr);
}

TEST(Transitions, MoveFromAnEdgeBySize) {
    Live l([&] {
        return If(l.model.flag, Color::red.frame({.width = 30, .height = 20}).id("x").transition(AnyTransition::move(Edge::bottom)));
    });
    withAnimation(Animation::linear(1), [&] { l.model.flag = true; });
    l.advance(0.25);
    const DisplayItem& x = l.item("x");
    EXPECT_NEAR(l.shown().drawnFrame(&x).minY() - x.frame.minY(), 15, 1e-6);  // 3/4 of its height below
}

TEST(Transitions, APushComesInFromItsEdgeAndPushesTheOldViewOutTheOtherWay) {
    Live l([&] {
        const int page = l.model.id;
        return ZStack({Color::red.frame({.width = 40, .height = 20})
                           .id(page)
                           .transition(AnyTransition::push(Edge::trailing))});
    });
    withAnimation(Animation::linear(1), [&] { l.model.id = 2; });
    l.advance(0.25);
    const DisplayItem* old = l.shown().findId(1);
    const DisplayItem* fresh = l.shown().findId(2);
    ASSERT_NE(old, nullptr);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NEAR(l.shown().drawnFrame(fresh).minX() - fresh->frame.minX(), 30,
                1e-6);                                                             // 3/4 of its width right
    EXPECT_NEAR(l.shown().drawnFrame(old).minX() - old->frame.minX(), -10, 1e-6);  // 1/4 of it left
    EXPECT_NEAR(fresh->opacity, 0.25, 1e-6);
    EXPECT_NEAR(old->opacity, 0.75, 1e-6);
}

TEST(ContentTransitions, NumericTextRollsOnlyTheDigitsThatChange) {
    Live l([&] {
        return Text(l.model.label.get()).font(Font::system(10)).contentTransition(ContentTransition::numericText()).id("t");
    });
    l.model.label = "1:09";
    l.advance(0);
    withAnimation(Animation::linear(1), [&] { l.model.label = "1:10"; });
    l.advance(0.5);
    const DisplayItem& t = l.item("t");
    // The group holds the characters standing still, the leaving ones and the entering ones.
    const DisplayItem* swap = t.find([](const DisplayItem& i) { return i.children.size() == 3; });
    ASSERT_NE(swap, nullptr);
    auto texts = [](const DisplayItem& part) {
        std::string s;
        for (const auto& r : part.runs) s += r.text;
        return s;
    };
    EXPECT_EQ(texts(swap->children[0]), "1:");
    EXPECT_EQ(texts(swap->children[1]), "09");
    EXPECT_EQ(texts(swap->children[2]), "10");
    // Counting up: the new digits rise from below, the old ones leave upwards, both faded.
    EXPECT_GT(swap->children[2].transform.m32, 0);
    EXPECT_LT(swap->children[1].transform.m32, 0);
    EXPECT_GT(swap->children[1].opacity, 0);
    EXPECT_LT(swap->children[1].opacity, 1);
    EXPECT_GT(swap->children[2].opacity, 0);
    EXPECT_LT(swap->children[2].opacity, 1);
    l.advance(0.6);
    ASSERT_NE(l.shown().findText("1:10"), nullptr);
    EXPECT_EQ(l.shown().findText("1:10")->children.size(), 0u);
}

TEST(ContentTransitions, ASymbolReplacedShrinksAwayWhileTheNewOneGrows) {
    Live l([&] {
        return Symbol(l.model.flag ? "pause.fill" : "play.fill").contentTransition(ContentTransition::symbolReplace());
    });
    withAnimation(Animation::linear(1), [&] { l.model.flag = true; });
    l.advance(0.5);
    const DisplayItem* swap =
        l.shown().find([](const DisplayItem& i) { return i.symbol == "pause.fill" && i.children.size() == 2; });
    ASSERT_NE(swap, nullptr);
    EXPECT_EQ(swap->children[0].symbol, "play.fill");
    EXPECT_LT(swap->children[0].transform.m11, 1);
    EXPECT_LT(swap->children[1].transform.m11, 1);
    EXPECT_NEAR(swap->children[1].opacity, 0.5, 1e-6);
}

TEST(Animation, ShapeDataShadowsAndColoursInterpolate) {
    struct Wedge : ShapeBase<Wedge> {
        double depth = 0;
        Path path(const Rect& r) const {
            Path p;
            p.move({r.minX(), r.minY()});
            p.line({r.maxX(), r.minY()});
            p.line({r.midX(), r.minY() + depth});
            p.close();
            return p;
        }
        AnimatableData animatableData() const { return {depth}; }
        void setAnimatableData(const AnimatableData& d) { depth = d[0]; }
    };
    Live l([&] {
        const bool on = l.model.flag;
        return Wedge{.depth = on ? 20.0 : 10.0}
            .fill(on ? Color::white : Color::black)
            .frame({.width = 40, .height = 40})
            .shadow(Color::black.opacity(on ? 0.5 : 0), on ? 10 : 0)
            .animation(Animation::linear(1), on);
    });
    l.model.flag = true;
    l.advance(0.5);
    const DisplayItem* wedge = l.shown().find([](const DisplayItem& i) { return i.kind == DisplayItem::Kind::shape; });
    ASSERT_NE(wedge, nullptr);
    EXPECT_NEAR(wedge->path.elements()[2].p[0].y - wedge->frame.minY(), 15, 1e-6);
    EXPECT_NEAR(wedge->fill->color.r, 0.5, 1e-6);
    const DisplayItem* shadow = l.shown().findRole("shadow");
    EXPECT_NEAR(shadow->shadow->radius, 5, 1e-6);
    EXPECT_NEAR(shadow->shadow->color.a, 0.25, 1e-6);
}

}  // namespace
}  // namespace quorlix::ui
