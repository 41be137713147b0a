// Hit-testing and gestures: buttons, taps, drags, hover, drops, menus, scrolling.

#include "live_test_support.h"

namespace quorlix::ui {
namespace {

using testing::Live;

// The views are laid out from the top-leading corner of a 200 × 100 canvas.
View pinned(View v) { return v.frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading}); }

TEST(HitTesting, FollowsShapesContentShapesClipsAndOpacity) {
    Live l([&] {
        return pinned(VStack({.alignment = HorizontalAlignment::leading, .spacing = 0}, {
            Circle().fill(Color::red).frame({.width = 40, .height = 40}).id("circle"),
            HStack({.spacing = 20}, {Color::red.frame({.width = 10, .height = 10}), Color::red.frame({.width = 10, .height = 10})})
                .contentShape(Rectangle())
                .id("row"),
            HStack({.spacing = 20}, {Color::red.frame({.width = 10, .height = 10}), Color::red.frame({.width = 10, .height = 10})})
                .id("gappy"),
            Color::red.frame({.width = 10, .height = 10}).opacity(0).id("faded"),
            Color::red.frame({.width = 40, .height = 10}).frame({.width = 10, .alignment = Alignment::leading}).clipped().id("clipped"),
        }));
    });
    auto innermostId = [&](Point p) -> std::optional<std::uint64_t> {
        const auto chain = hitTest(l.shown(), p);
        for (auto s = chain.rbegin(); s != chain.rend(); ++s)
            if (s->item->explicitId) return s->item->explicitId;
        return std::nullopt;
    };
    auto id = [](const char* s) { return detail::idHash(std::string_view(s)); };
    EXPECT_EQ(innermostId({20, 20}), id("circle"));
    EXPECT_EQ(innermostId({2, 2}), std::nullopt);  // inside the frame, outside the circle
    EXPECT_EQ(innermostId({20, 45}), id("row"));   // the gap of a row with a content shape
    EXPECT_EQ(innermostId({5, 55}), id("gappy"));
    EXPECT_EQ(innermostId({20, 55}), std::nullopt);  // the gap of a row without one
    EXPECT_EQ(innermostId({5, 65}), std::nullopt);   // faded out
    EXPECT_EQ(innermostId({5, 75}), id("clipped"));
    EXPECT_EQ(innermostId({25, 75}), std::nullopt);  // drawn beyond the clip
}

struct Shaded {
    View makeBody(const ButtonStyleConfiguration& c) const { return c.label.opacity(c.isPressed ? 0.5 : 1); }
};

TEST(Buttons, ActOnReleaseInsideAndTheirStyleSeesThePress) {
    int taps = 0;
    Live l([&] {
        return pinned(Button(Color::red.frame({.width = 40, .height = 20}).id("label"), [&] { ++taps; })
                          .buttonStyle(Shaded{})
                          .disabled(l.model.flag));
    });
    auto& events = l.host().events();
    auto pressedLook = [&] {
        l.advance(0);
        return l.shown().find([](const DisplayItem& i) { return i.opacity == 0.5; }) != nullptr;
    };
    events.pointerPressed({10, 10});
    EXPECT_TRUE(pressedLook());
    events.pointerMoved({60, 10});  // off the button: no longer pressed
    EXPECT_FALSE(pressedLook());
    events.pointerMoved({30, 10});
    EXPECT_TRUE(pressedLook());
    events.pointerReleased({30, 10});
    EXPECT_FALSE(pressedLook());
    EXPECT_EQ(taps, 1);
    // Released off the button: nothing.
    events.pointerPressed({10, 10});
    events.pointerReleased({60, 10});
    EXPECT_EQ(taps, 1);
    // Disabled: nothing at all.
    l.model.flag = true;
    l.advance(0);
    events.pointerPressed({10, 10});
    EXPECT_FALSE(pressedLook());
    events.pointerReleased({10, 10});
    EXPECT_EQ(taps, 1);
}

// What a render draws as before is not made again; a button built again acts with what it
// was built with, though it looks as before and its effects around it are alike.
TEST(Buttons, ActWithWhatTheyWereLastBuiltWith) {
    std::vector<int> acted;
    Live l([&] {
        const int id = l.model.id.get();
        return pinned(VStack({.spacing = 0}, {
                                                 Button(Color::red.frame({.width = 40, .height = 20}),
                                                        [&acted, id] { acted.push_back(id); })
                                                     .opacity(0.9)
                                                     .shadow(Color::black, 2),
                                                 Text("Título"),
                                             }));
    });
    auto click = [&] {
        l.host().events().pointerPressed({10, 10});
        l.host().events().pointerReleased({10, 10});
    };
    click();
    l.model.id = 2;
    l.advance(0);
    click();
    l.model.label = "b";  // read by nothing: the same button
    l.advance(0);
    click();
    EXPECT_EQ(acted, (std::vector<int>{1, 2, 2}));
}

TEST(Buttons, ReturnPressesTheDefaultButtonUnlessItIsDisabledOrLeaving) {
    std::vector<std::string> pressed;
    Live l([&] {
        const auto button = [&](const char* name) {
            return Button(Color::red.frame({.width = 40, .height = 20}),
                          [&pressed, name] { pressed.push_back(name); });
        };
        return pinned(VStack({
            button("plain"),
            If(l.model.id == 1, HStack({button("default"), button("beside")})
                                    .keyboardShortcut(KeyboardShortcut::defaultAction)
                                    .disabled(l.model.flag)
                                    .transition(AnyTransition::opacity())),
        }));
    });
    auto& events = l.host().events();
    EXPECT_TRUE(events.pressDefaultAction());
    EXPECT_EQ(pressed, std::vector<std::string>{"default"}) << "the first marked one, in drawing order";

    l.model.flag = true;
    l.advance(0);
    EXPECT_FALSE(events.pressDefaultAction());
    l.model.flag = false;
    withAnimation(Animation::linear(1), [&] { l.model.id = 2; });
    l.advance(0.5);
    EXPECT_FALSE(events.pressDefaultAction()) << "still drawn, but leaving";
    EXPECT_EQ(pressed.size(), 1u);
}

TEST(Gestures, ADragStartsAtItsMinimumDistanceInTheViewsOwnSpace) {
    std::vector<DragValue> changes, ends;
    int taps = 0;
    Live l([&] {
        return pinned(Color::red.frame({.width = 100, .height = 20})
                          .gesture(DragGesture{.minimumDistance = 3}
                                       .onChanged([&](const DragValue& v) { changes.push_back(v); })
                                       .onEnded([&](const DragValue& v) { ends.push_back(v); }))
                          .onTapGesture([&] { ++taps; })
                          .padding(10));
    });
    auto& events = l.host().events();
    events.pointerPressed({30, 15});
    events.pointerMoved({32, 15});
    events.pointerReleased({32, 15});
    EXPECT_TRUE(changes.empty());  // two points is no drag: a tap
    EXPECT_TRUE(ends.empty());
    EXPECT_EQ(taps, 1);

    l.time.advance(1);
    events.pointerPressed({30, 15});
    events.pointerMoved({33, 16});
    events.pointerMoved({150, 16});
    events.pointerReleased({150, 18});
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].location, (Point{23, 6}));  // the padding moved the view by 10
    EXPECT_EQ(changes[0].startLocation, (Point{20, 5}));
    EXPECT_EQ(changes[1].translation, (Size{120, 1}));
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].location, (Point{140, 8}));  // beyond the view's right end
    EXPECT_EQ(taps, 1);
}

TEST(Gestures, DoubleTapsCountClicksInTime) {
    int singles = 0, doubles = 0;
    Live l([&] {
        return pinned(Color::red.frame({.width = 20, .height = 20}).onTapGesture(2, [&] { ++doubles; }).onTapGesture([&] {
            ++singles;
        }));
    });
    auto& events = l.host().events();
    auto click = [&] {
        events.pointerPressed({5, 5});
        events.pointerReleased({5, 5});
    };
    click();
    l.time.advance(0.2);
    click();
    EXPECT_EQ(doubles, 1);
    l.time.advance(1);
    click();
    l.time.advance(0.6);  // too slow for a double
    click();
    EXPECT_EQ(doubles, 1);
    // The outer single-tap handler is not reached: the inner view handles the clicks.
    EXPECT_EQ(singles, 0);
}

TEST(Hover, TellsEnteringAndLeavingOnce) {
    std::vector<std::string> log;
    Live l([&] {
        return pinned(VStack({.spacing = 0}, {
            Color::red.frame({.width = 20, .height = 20}).onHover([&](bool in) { log.push_back(in ? "in a" : "out a"); }),
            Color::red.frame({.width = 20, .height = 20}).onHover([&](bool in) { log.push_back(in ? "in b" : "out b"); }),
        }).onHover([&](bool in) { log.push_back(in ? "in stack" : "out stack"); }));
    });
    auto& events = l.host().events();
    events.pointerMoved({5, 5});
    events.pointerMoved({6, 6});
    events.pointerMoved({5, 25});
    events.pointerMoved({50, 25});
    EXPECT_EQ(log, (std::vector<std::string>{"in stack", "in a", "out a", "in b", "out b", "out stack"}));
    events.pointerMoved({5, 5});
    events.pointerExited();
    EXPECT_EQ(log.back(), "out stack");
}

TEST(Drops, SetTheTargetedFlagAndHandOverItemsOfTheirType) {
    State<bool> targeted;
    std::vector<DropItem> received;
    Live l([&] {
        return pinned(Color::red.frame({.width = 40, .height = 40})
                          .onDrop({UTType::fileURL}, targeted.binding(), [&](const std::vector<DropItem>& items) {
                              received = items;
                              return !l.model.flag;
                          }));
    });
    auto& events = l.host().events();
    EXPECT_FALSE(events.dragMoved({10, 10}, {"public.text"}));  // not its type
    EXPECT_FALSE(targeted.get());
    EXPECT_TRUE(events.dragMoved({10, 10}, {UTType::fileURL}));
    EXPECT_TRUE(targeted.get());
    EXPECT_FALSE(events.dragMoved({100, 10}, {UTType::fileURL}));
    EXPECT_FALSE(targeted.get());
    events.dragMoved({10, 10}, {UTType::fileURL});
    const std::vector<DropItem> items{{UTType::fileURL, "file:///tmp/a.txt"}, {"public.text", "hola"}};
    EXPECT_TRUE(events.dropped({10, 10}, items));
    EXPECT_FALSE(targeted.get());
    EXPECT_EQ(received, (std::vector<DropItem>{{UTType::fileURL, "file:///tmp/a.txt"}}));
    // The target refuses: the drop is not taken.
    l.model.flag = true;
    EXPECT_FALSE(events.dropped({10, 10}, items));
    EXPECT_FALSE(events.dropped({100, 10}, items));
}

TEST(Menus, ContextMenusPopUpMenusDragsOutAndHelp) {
    std::vector<std::string> shown;
    Point at;
    std::vector<DropItem> dragged;
    Live l([&] {
        return pinned(VStack({.alignment = HorizontalAlignment::leading, .spacing = 0}, {
            Color::red.frame({.width = 40, .height = 20})
                .contextMenu({MenuItem::button("Ajustes…", [] {}), MenuItem::divider(), MenuItem::button("Salir de Quorlix", [] {})})
                .help("Ajustes"),
            Menu(Color::red.frame({.width = 40, .height = 20}), {MenuItem::button("Altavoces", [] {})}),
            Color::red.frame({.width = 40, .height = 20}).onDrag([] {
                return std::vector<DropItem>{{UTType::fileURL, "file:///tmp/b.png"}};
            }),
        }));
    });
    auto& events = l.host().events();
    events.showMenu = [&](const std::vector<MenuItem>& items, Point p) {
        shown.clear();
        for (const auto& i : items) shown.push_back(i.kind == MenuItem::Kind::divider ? "—" : i.title);
        at = p;
    };
    events.startDrag = [&](const std::vector<DropItem>& items) { dragged = items; };
    events.pointerPressed({10, 10}, EventRouter::Button::secondary);
    EXPECT_EQ(shown, (std::vector<std::string>{"Ajustes…", "—", "Salir de Quorlix"}));
    EXPECT_EQ(events.helpAt({10, 10}), "Ajustes");
    EXPECT_EQ(events.helpAt({10, 50}), "");
    events.pointerPressed({20, 30});  // the pop-up menu opens under its button
    EXPECT_EQ(shown, (std::vector<std::string>{"Altavoces"}));
    EXPECT_EQ(at.y, 40);
    events.pointerPressed({10, 50});
    events.pointerMoved({12, 50});
    EXPECT_TRUE(dragged.empty());
    events.pointerMoved({16, 50});
    EXPECT_EQ(dragged.size(), 1u);
}

TEST(ScrollViews, ScrollWithinTheirContent) {
    Live l([&] {
        Views rows;
        for (int i = 0; i < 10; ++i) rows.push_back(Color::red.frame({.width = 50, .height = 20}).id(i));
        return pinned(ScrollView({}, VStack({.spacing = 0}, std::move(rows))).frame({.width = 50, .height = 60}));
    });
    auto& events = l.host().events();
    auto top = [&] { return l.shown().findId(0)->frame.y(); };
    EXPECT_EQ(top(), 0);
    EXPECT_TRUE(events.scrolled({10, 10}, 0, -30));  // content moves up by 30
    l.advance(0);
    EXPECT_EQ(top(), -30);
    events.scrolled({10, 10}, 0, -1000);
    l.advance(0);
    EXPECT_EQ(top(), -140);  // no further than the end
    EXPECT_FALSE(events.scrolled({10, 10}, 0, -5));
    EXPECT_FALSE(events.scrolled({100, 10}, 0, 5));  // not over it
}

}  // namespace
}  // namespace quorlix::ui
