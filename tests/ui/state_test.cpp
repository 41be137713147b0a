// View state, life in the tree, timelines and the host's frame scheduling.

#include "live_test_support.h"

namespace quorlix::ui {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace state_test {

using testing::Live;

struct Counter {
    std::string label;
    State<int>* handle;
    View body(Context& ctx) const {
        auto n = ctx.state<int>(0);
        auto other = ctx.state<std::string>("x");
        *handle = n;
        return Text(label + std::to_string(n.get()) + other.get());
    }
};

TEST(ViewState, SurvivesRendersOfItsIdentityAndResetsWithANewOne) {
    State<int> count;
    Live l([&] { return View(Counter{l.model.label, &count}).id(l.model.id.get()); });
    EXPECT_NE(l.shown().findText("a0x"), nullptr);
    count = 5;  // re-renders the tree that owns it
    l.advance(0);
    EXPECT_NE(l.shown().findText("a5x"), nullptr);
    l.model.label = "b";
    l.advance(0);
    EXPECT_NE(l.shown().findText("b5x"), nullptr);
    l.model.id = 2;
    l.advance(0);
    EXPECT_NE(l.shown().findText("b0x"), nullptr);
    // A handle of the identity that went changes nothing shown.
    State<int> stale = count;
    l.model.id = 3;
    l.advance(0);
    stale = 9;
    l.advance(0);
    EXPECT_NE(l.shown().findText("b0x"), nullptr);
}

TEST(ViewState, AStateObjectIsMadeOnceForItsIdentityAndRendersWhenItPublishes) {
    int made = 0;
    struct Owner {
        int* made;
        View body(Context& ctx) const {
            const auto model = ctx.stateObject<testing::Model>([this] {
                ++*made;
                return std::make_shared<testing::Model>();
            });
            return Text(model->label.get()).onTapGesture([model] { model->label = "b"; }).id("owned");
        }
    };
    Live l([&] { return View(Owner{&made}).id(l.model.id.get()); });
    l.model.flag = true;  // renders again
    l.advance(0);
    EXPECT_EQ(made, 1);
    const Rect text = l.shown().drawnFrame(&l.item("owned"));
    l.host().events().pointerPressed({text.midX(), text.midY()});
    l.host().events().pointerReleased({text.midX(), text.midY()});
    l.advance(0);
    EXPECT_NE(l.shown().findText("b"), nullptr) << "its change rendered";
    l.model.id = 2;  // a new identity: a new object
    l.advance(0);
    EXPECT_EQ(made, 2);
    EXPECT_NE(l.shown().findText("a"), nullptr);
}

TEST(Lifecycle, AppearDisappearAndChangeRunAfterTheirRender) {
    std::vector<std::string> log;
    Live l([&] {
        return VStack({
            Text("x").onChange(l.model.value.get(),
                               [&](double old, double now) { log.push_back(std::to_string(int(old)) + ">" + std::to_string(int(now))); }),
            Text("z").onChange(l.model.value.get(), [&](double now) { log.push_back("now " + std::to_string(int(now))); }),
            If(l.model.flag, Text("y").onAppear([&] { log.push_back("appear"); }).onDisappear([&] { log.push_back("disappear"); })),
        });
    });
    EXPECT_TRUE(log.empty());  // not for the first value
    l.model.value = 2;
    l.advance(0);
    EXPECT_EQ(log, (std::vector<std::string>{"0>2", "now 2"}));
    l.model.label = "b";  // a render where the value stayed
    l.advance(0);
    EXPECT_EQ(log.size(), 2u);
    l.model.flag = true;
    l.advance(0);
    l.model.label = "c";
    l.advance(0);
    l.model.flag = false;
    l.advance(0);
    EXPECT_EQ(log, (std::vector<std::string>{"0>2", "now 2", "appear", "disappear"}));
}

TEST(Lifecycle, ATaskEndsWithItsViewAndStartsAgainWhenItsValueChanges) {
    int starts = 0, fired = 0;
    Live l([&] {
        return If(!l.model.flag, Text("t").task(l.model.value.get(), [&](ViewTask& task) {
            ++starts;
            task.after(1.0, [&] { ++fired; });
        }));
    });
    EXPECT_EQ(starts, 1);
    l.advance(0.5);
    l.model.value = 2;  // cancels the first
    l.advance(0.6);
    EXPECT_EQ(starts, 2);
    EXPECT_EQ(fired, 0);
    l.advance(0.5);
    EXPECT_EQ(fired, 1);
    l.model.value = 3;
    l.advance(0.1);
    l.model.flag = true;  // the view goes, and its task with it
    l.advance(2);
    EXPECT_EQ(starts, 3);
    EXPECT_EQ(fired, 1);
}

inline const PreferenceKey<double> widthKey{0, [](double& v, const double& next) { v += next; }};

TEST(Lifecycle, PreferenceChangesAreToldFromTheFirstValueOn) {
    std::vector<double> seen;
    Live l([&] {
        return VStack({Color::red.frame({.width = 10, .height = 10}).preference(widthKey, l.model.value.get()),
                       Color::red.frame({.width = 10, .height = 10}).preference(widthKey, 1.0)})
            .onPreferenceChange(widthKey, [&](double w) { seen.push_back(w); });
    });
    l.model.value = 4;
    l.advance(0);
    l.model.label = "b";
    l.advance(0);
    EXPECT_EQ(seen, (std::vector<double>{1, 5}));
}

TEST(Host, AnIdleTreeSchedulesNothingAndOneTurnOfChangesMakesOneRender) {
    int renders = 0;
    Live l([&] {
        ++renders;
        return Text(l.model.label.get() + std::to_string(l.model.value.get()));
    });
    EXPECT_EQ(renders, 1);
    EXPECT_FALSE(l.host().isFrameScheduled());
    EXPECT_LT(l.time.queue.nextDueIn(), 0);
    l.model.label = "b";
    l.model.value = 3;
    l.model.flag = true;
    l.advance(1);
    EXPECT_EQ(renders, 2);
    EXPECT_FALSE(l.host().isFrameScheduled());
}

TEST(Timeline, AnAnimationScheduleFramesAtItsIntervalAndNoneWhilePaused) {
    int renders = 0;
    Date last;
    Live l([&] {
        return TimelineView(TimelineSchedule::animation(1.0 / 30, l.model.flag), [&](const TimelineContext& t) {
            ++renders;
            last = t.date;
            return Text("t");
        });
    });
    EXPECT_NEAR(l.time.queue.nextDueIn(), 1.0 / 30, 1e-9);
    l.time.advance(1.0 + 1e-6);
    EXPECT_EQ(renders, 31);
    EXPECT_NEAR(last.secondsSince1970, l.time.clock.date().secondsSince1970, 1e-6);
    const Date pausedAt = last;
    l.model.flag = true;
    l.advance(0);
    EXPECT_FALSE(l.host().isFrameScheduled());
    EXPECT_LT(l.time.queue.nextDueIn(), 0);
    const int before = renders;
    l.advance(5);
    EXPECT_EQ(renders, before);
    // A render while paused keeps the date of the last frame.
    l.model.label = "b";
    l.advance(0);
    EXPECT_EQ(last, pausedAt);
}

TEST(Timeline, ARenderWithinTheIntervalKeepsTheLastEntry) {
    std::vector<double> dates;
    Live l([&] {
        const std::string label = l.model.label.get();
        return TimelineView(TimelineSchedule::animation(1), [&dates, label](const TimelineContext& t) {
            dates.push_back(t.date.secondsSince1970);
            return Text(label);
        });
    });
    const double first = dates.back();
    l.time.advance(0.5);
    l.model.label = "b";  // something else changes half-way
    l.advance(0);
    EXPECT_EQ(dates.back(), first);
    EXPECT_NEAR(l.time.queue.nextDueIn(), 0.5, 1e-9);
    l.time.advance(0.5 + 1e-6);
    EXPECT_NEAR(dates.back(), first + 1, 1e-6);
}

TEST(Timeline, PeriodicAndMinuteSchedulesShowTheirEntryDates) {
    std::vector<double> periodic, minutes;
    Live l([&] {
        return VStack({
            TimelineView(TimelineSchedule::periodic(Date(1'800'000'990.5), 2.0),
                         [&](const TimelineContext& t) {
                             periodic.push_back(t.date.secondsSince1970);
                             return Text("p");
                         }),
            TimelineView(TimelineSchedule::everyMinute(), [&](const TimelineContext& t) {
                minutes.push_back(t.date.secondsSince1970);
                return Text("m");
            }),
        });
    });
    // The wall clock stands at 1 800 001 000, 40 s into a minute.
    ASSERT_EQ(l.time.clock.date().secondsSince1970, 1'800'001'000);
    EXPECT_EQ(periodic.back(), 1'800'000'998.5);
    EXPECT_EQ(minutes.back(), 1'800'000'960);
    EXPECT_NEAR(l.time.queue.nextDueIn(), 0.5, 1e-9);
    l.time.advance(20);
    EXPECT_EQ(periodic.back(), 1'800'001'018.5);
    EXPECT_EQ(minutes.back(), 1'800'001'020);
}

}  // namespace state_test
}  // namespace
}  // namespace quorlix::ui
