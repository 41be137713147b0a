// The Qt window hosts: the panel, an ordinary window, events and native text fields.
// (The QApplication comes from render_test.cpp's environment.)

#include "fakes/fixed_font_engine.h"
#include "fakes/virtual_time.h"
#include "qt_test_support.h"
#include "ui/qt/panel_window.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/qt/window_host.h"
#include "ui/ui.h"

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolTip>

#include <xcb/shape.h>

#include <cstdlib>

namespace quorlix::ui {
namespace {

// The window's X11 input shape, when there is an X display (none on the offscreen platform).
std::optional<std::vector<QRect>> inputShape(QWidget& w) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return std::nullopt;
    const auto cookie = xcb_shape_get_rectangles(c, static_cast<xcb_window_t>(w.winId()), XCB_SHAPE_SK_INPUT);
    xcb_shape_get_rectangles_reply_t* reply = xcb_shape_get_rectangles_reply(c, cookie, nullptr);
    if (!reply) return std::nullopt;
    std::vector<QRect> rects;
    const xcb_rectangle_t* r = xcb_shape_get_rectangles_rectangles(reply);
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
        rects.emplace_back(r[i].x, r[i].y, r[i].width, r[i].height);
    std::free(reply);
    return rects;
}

void click(QWidget& w, QPointF at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    QApplication::sendEvent(&w, &release);
}

// A panel's window covers what its views draw and where it takes the pointer, no more; it never
// takes the focus, fades on virtual time and leaves the screen when faded out wholly.
TEST(PanelWindow, IsATransparentWindowAsLargeAsWhatItShowsThatNeverTakesFocus) {
    fakes::VirtualTime time;
    int clicks = 0;
    qt::PanelWindow panel(
        Button(Color::red.frame({.width = 40, .height = 20}), [&] { ++clicks; })
            .padding(30)
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading}),
        {300, 120});
    QWidget& w = panel.widget();
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
    EXPECT_TRUE(w.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(panel.inputRegion().empty());  // every click passes through until told

    panel.setFrameOrigin({100, 50});
    panel.show();
    time.runPending();
    // The window is the button, where the panel puts it; its input shape is in its own space.
    EXPECT_EQ(panel.extent(), Rect(30, 30, 40, 20));
    EXPECT_EQ(w.geometry(), QRect(130, 80, 40, 20));
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 10), QColor(255, 69, 58));
    panel.setInputRegion({{30, 30, 40, 40}});
    EXPECT_EQ(w.geometry(), QRect(130, 80, 40, 40));
    if (const auto shape = inputShape(w)) {
        EXPECT_EQ(*shape, std::vector<QRect>{QRect(0, 0, 40, 40)});
    }
    click(w, {10, 10});
    EXPECT_EQ(clicks, 1);
    // Nothing of the panel outside the limit.
    panel.setLimit({0, 40, 300, 80});
    EXPECT_EQ(w.geometry(), QRect(130, 90, 40, 30));

    panel.setOpacity(0, Animation::linear(0.5));
    time.advance(0.25);
    EXPECT_NEAR(panel.opacity(), 0.5, 0.02);
    EXPECT_NEAR(w.windowOpacity(), 0.5, 0.02);
    EXPECT_TRUE(w.isVisible());
    time.advance(0.3);
    EXPECT_EQ(panel.opacity(), 0);
    EXPECT_FALSE(w.isVisible()) << "a panel faded out wholly still takes the pointer";
    EXPECT_TRUE(panel.isVisible());
    EXPECT_LT(time.queue.nextDueIn(), 0);  // idle once faded
    panel.setOpacity(1);
    EXPECT_EQ(w.windowOpacity(), 1);
    EXPECT_TRUE(w.isVisible());
}

// Where the compositor may show a window's new place with its old picture (a Wayland session),
// the panel moves its window only once its picture has been still a while: frames wait with it,
// and a motion that needs the room starts once the window has it. A window that grows without
// moving its corner, or whose picture was still, changes at once.
TEST(PanelWindow, WhereAMoveMayShowTheOldPictureItWaitsForThePictureToBeStill) {
    fakes::VirtualTime time;
    State<double> width;
    width = 40;
    struct Bar {
        State<double> width;
        View body(Context&) const {
            return Color::red.frame({.width = width.get(), .height = 20})
                .id("bar")
                .animation(Animation::easeInOut(0.3), width.get())
                .frame({.maxWidth = infinity, .maxHeight = infinity});
        }
    };
    qt::PanelWindow panel(Bar{width}, {300, 100});
    panel.setMovesWaitForStillPicture(true);
    panel.show();
    time.runPending();
    QWidget& w = panel.widget();
    const QRect still = w.geometry();
    const auto bar = [&] { return panel.host().graph().shown().findId("bar")->frame.width(); };

    // Drawn just now (offscreen, Qt paints when asked for a picture), the window waits, its
    // motion with it, until its picture has been still.
    (void)w.grab();
    width = 200;
    panel.host().setRoot(Bar{width});
    time.advance(qt::PanelWindow::stillBeforeMoving * 0.8);
    EXPECT_EQ(w.geometry(), still);
    EXPECT_EQ(bar(), 40) << "the motion ran before the window had room for it";
    time.advance(qt::PanelWindow::stillBeforeMoving * 0.3);
    EXPECT_EQ(w.geometry().width(), 200);
    EXPECT_EQ(w.geometry().center(), still.center());
    time.advance(0.1);
    EXPECT_GT(bar(), 40);

    // Still for long enough, it shrinks with the frame that asks for it.
    time.advance(1);
    width = 40;
    panel.host().setRoot(Bar{width});
    time.advance(1);
    EXPECT_EQ(w.geometry(), still);
}

// A context menu the views open is known by where it stands while open, and closes on demand,
// its submenu with it.
TEST(PanelWindow, AMenuItsViewsOpenedClosesWhenAsked) {
    fakes::VirtualTime time;
    qt::PanelWindow panel(Color::blue.frame({.width = 60, .height = 30})
                              .contextMenu({MenuItem::button("Abrir", [] {}),
                                            MenuItem::submenu("Más", {MenuItem::button("Quitar", [] {})})}),
                          {60, 30});
    panel.show();
    time.runPending();
    QWidget& w = panel.widget();
    EXPECT_FALSE(panel.widget().openMenuGeometry());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 10), w.mapToGlobal(QPointF(20, 10)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    const auto open = panel.widget().openMenuGeometry();
    ASSERT_TRUE(open) << "no menu opened";
    EXPECT_TRUE(open->contains(w.mapToGlobal(QPoint(20, 10)) + QPoint(5, 5)));
    panel.widget().closeMenus();
    EXPECT_FALSE(panel.widget().openMenuGeometry()) << "the menu stayed open";
}

// A help text shows where the pointer rests on screen, the window moved since or not, and
// follows what its view says.
TEST(PanelWindow, AHelpTextShowsWhereThePointerRestsAndFollowsWhatItsViewSays) {
    fakes::VirtualTime time;
    State<bool> day;
    struct Root {
        State<bool>* day;
        View body(Context& ctx) const {
            auto d = ctx.state<bool>(true);
            *day = d;
            return Color::red.frame({.width = 40, .height = 20}).help(d.get() ? "Soleado" : "Despejado");
        }
    };
    qt::PanelWindow panel(View(Root{&day}), {40, 20});
    panel.setFrameOrigin({100, 50});
    panel.show();
    time.runPending();
    QWidget& w = panel.widget();
    // Its place in the window as it stood when the pointer stopped, off the view since.
    QHelpEvent help(QEvent::ToolTip, QPoint(-30, 5), QPoint(110, 60));
    QApplication::sendEvent(&w, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Soleado");
    day = false;
    time.runPending();
    EXPECT_EQ(QToolTip::text(), "Despejado");
}

TEST(WindowHost, HostsAViewWithNativeTextFieldsBoundToState) {
    fakes::VirtualTime time;
    State<std::string> city;
    int submitted = 0, closed = 0;
    struct Pane {
        State<std::string>* city;
        int* submitted;
        View body(Context& ctx) const {
            auto text = ctx.state<std::string>("");
            *city = text;
            return VStack({
                TextField("Ciudad", text.binding(), {.onSubmit = [s = submitted] { ++*s; }}).id("field"),
                Text("«" + text.get() + "»"),
            });
        }
    };
    qt::WindowHost window(View(Pane{&city, &submitted}), {.title = "Quorlix", .size = {300, 200}});
    window.onClose = [&] { ++closed; };
    window.show();
    time.runPending();
    const DisplayItem* field = window.host().displayList().findId("field");
    ASSERT_NE(field, nullptr);
    QLineEdit* edit = window.widget().textField(field->children.front().identity);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->placeholderText(), "Ciudad");

    // Typing sets the bound state, and the view shows it.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(edit, &key);
    time.runPending();
    EXPECT_EQ(city.get(), "a");
    EXPECT_NE(window.host().displayList().findText("«a»"), nullptr);
    // A value set by the view reaches the field.
    city = "Madrid";
    time.runPending();
    EXPECT_EQ(edit->text(), "Madrid");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    EXPECT_EQ(submitted, 1);

    window.close();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST(WindowHost, AReadOnlyFieldLetsItsTextBeSelectedButNotChanged) {
    fakes::VirtualTime time;
    std::string text = "xdg-open 'quorlix://agent'";
    const Binding<std::string> binding([&] { return text; }, [&](std::string t) { text = std::move(t); });
    qt::WindowHost window(View(TextField("", binding, {.plain = true, .readOnly = true}).id("field")),
                          {.title = "Quorlix", .size = {300, 60}});
    window.show();
    time.runPending();
    QLineEdit* edit = window.widget().findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->text().toStdString(), text);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(edit, &key);
    time.runPending();
    EXPECT_EQ(text, "xdg-open 'quorlix://agent'");
    edit->selectAll();
    EXPECT_EQ(edit->selectedText().toStdString(), text);
}

}  // namespace
}  // namespace quorlix::ui

namespace quorlix::ui {
namespace {

TEST(WindowHost, AFramelessWindowDrawsItsButtonsHidesOnCloseAndMovesOnlyFromItsBackground) {
    fakes::VirtualTime time;
    int taps = 0, closes = 0;
    State<std::string> text;
    struct Pane {
        int* taps;
        State<std::string>* text;
        View body(Context& ctx) const {
            auto t = ctx.state<std::string>("");
            *text = t;
            return ZStack(
                {Color::black.opacity(0.5),
                 VStack({Button(Color::red.frame({.width = 40, .height = 20}), [n = taps] { ++*n; }).id("b"),
                         TextField("Buscar", t.binding()).frame({.width = 120}).id("field")})});
        }
    };
    qt::WindowHost window(View(Pane{&taps, &text}),
                          {.title = "Quorlix", .size = {300, 200}, .translucent = true, .frameless = true});
    window.onClose = [&] { ++closes; };
    window.show();
    time.runPending();
    QWidget& w = window.widget();
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w.testAttribute(Qt::WA_TranslucentBackground));
    const DisplayItem& shown = window.host().displayList();
    for (const char* id : {"window.close", "window.minimize", "window.zoom"})
        ASSERT_NE(shown.findId(id), nullptr) << id;
    // The buttons sit in the top 44 points; the zoom button is disabled.
    EXPECT_LT(shown.drawnFrame(shown.findId("window.close")).maxY(), 44);
    EXPECT_EQ(
        shown.findId("window.zoom")->find([](const DisplayItem& i) { return i.interaction != nullptr; }),
        nullptr);
    const Rect button = shown.drawnFrame(shown.findId("b"));
    EXPECT_TRUE(window.host().events().takesPress({button.midX(), button.midY()}));
    EXPECT_FALSE(window.host().events().takesPress({5, 190}));  // the background: the window moves
    click(w, {5, 190});
    click(w, {button.midX(), button.midY()});
    EXPECT_EQ(taps, 1);

    // Focus given to the field is taken back without closing anything.
    QLineEdit* edit = w.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    window.clearFocus();
    EXPECT_FALSE(edit->hasFocus());

    // The buttons show their glyphs while the pointer is over them, and not once the window
    // closed under it and opened again with the pointer elsewhere.
    const Rect close = shown.drawnFrame(shown.findId("window.close"));
    const auto glyphShown = [&] {
        time.advance(1);
        window.host().render();
        const DisplayItem& list = window.host().displayList();
        double opacity = 1;
        for (const DisplayItem* step : list.pathTo(list.findSymbol("xmark"))) opacity *= step->opacity;
        return opacity;
    };
    EXPECT_EQ(glyphShown(), 0);
    QMouseEvent over(QEvent::MouseMove, QPointF(close.midX(), close.midY()),
                     w.mapToGlobal(QPointF(close.midX(), close.midY())), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&w, &over);
    EXPECT_EQ(glyphShown(), 1);
    click(w, {close.midX(), close.midY()});
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(window.isVisible());
    window.show();
    time.runPending();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(glyphShown(), 0);
    EXPECT_EQ(edit, w.findChild<QLineEdit*>());  // the same views came back
    // Closing never holds up the application's quit.
    QCloseEvent quitting;
    QApplication::sendEvent(&w, &quitting);
    EXPECT_TRUE(quitting.isAccepted());
}

TEST(Controls, ASwitchFlipsItsBindingInTheTintAndNotWhileDisabled) {
    fakes::VirtualTime time;
    bool on = false;
    const Binding<bool> binding([&] { return on; }, [&](bool v) { on = v; });
    const auto root = [&](bool disabled) {
        return View(Toggle(binding))
            .tint(Color::green)
            .disabled(disabled)
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading});
    };
    fakes::FixedFontEngine fonts;
    ViewHost host(fonts, root(false), {100, 40});
    const auto fill = [&] {
        host.render();
        time.advance(1);
        const DisplayItem* capsule = host.displayList().find(
            [](const DisplayItem& i) { return i.fill && i.frame.width() == Toggle::width; });
        return capsule ? capsule->fill->color : Color::clear;
    };
    const auto press = [&] {
        host.events().pointerPressed({10, 11});
        host.events().pointerReleased({10, 11});
        host.setRoot(root(false));
    };
    EXPECT_NE(fill(), Color::green);
    press();
    EXPECT_TRUE(on);
    EXPECT_EQ(fill(), Color::green);
    host.setRoot(root(true));
    fill();
    host.events().pointerPressed({10, 11});
    host.events().pointerReleased({10, 11});
    EXPECT_TRUE(on);
}

TEST(Controls, ASymbolBouncesOnEachChangeOfItsValueAndSettles) {
    fakes::VirtualTime time;
    State<int> value;
    struct Root {
        State<int> value;
        View body(Context&) const { return symbolBounce(View(Symbol("gearshape")).id("s"), value.get()); }
    };
    fakes::FixedFontEngine fonts;
    ViewHost host(fonts, Root{value}, {100, 100});
    host.render();
    const auto scale = [&] {
        const DisplayItem& list = host.displayList();
        return list.drawnFrame(list.findId("s")).width();
    };
    const double rest = scale();
    time.advance(1);
    EXPECT_DOUBLE_EQ(scale(), rest);  // nothing on appearing
    value = 1;
    host.setRoot(Root{value});
    time.advance(0.1);
    EXPECT_GT(scale(), rest * 1.15);
    time.advance(2);
    EXPECT_NEAR(scale(), rest, 1e-6);
}

TEST(WindowHost, AWindowAsTallAsItsContentWithItsCloseButtonAloneTakesReturnForItsDefaultButton) {
    fakes::VirtualTime time;
    int pressed = 0, submitted = 0;
    const auto pane = [&](double height) {
        return View(VStack(
            {.spacing = 0},
            {
                Color::black.frame({.height = height}),
                Button(Color::red.frame({.width = 40, .height = 20}), [&] { ++pressed; })
                    .keyboardShortcut(KeyboardShortcut::defaultAction),
                TextField("Ciudad", Binding<std::string>::constant(""), {.onSubmit = [&] { ++submitted; }})
                    .frame({.height = 20})
                    .id("field"),
            }));
    };
    qt::WindowHost window(pane(100), {.title = "Quorlix",
                                      .size = {300, 0},
                                      .translucent = true,
                                      .floating = true,
                                      .frameless = true,
                                      .closeButtonOnly = true,
                                      .fitsContentHeight = true});
    QWidget& w = window.widget();
    EXPECT_EQ(w.size(), QSize(300, 140));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window.show();
    time.runPending();
    const DisplayItem& shown = window.host().displayList();
    EXPECT_NE(shown.findId("window.close"), nullptr);
    EXPECT_EQ(shown.findId("window.minimize"), nullptr);
    EXPECT_EQ(shown.findId("window.zoom"), nullptr);

    const auto key = [&](QWidget& to, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, k, modifiers);
        QApplication::sendEvent(&to, &event);
    };
    key(w, Qt::Key_Return);
    key(w, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(pressed, 2);
    key(w, Qt::Key_Return, Qt::ShiftModifier);
    key(w, Qt::Key_Space);
    EXPECT_EQ(pressed, 2);
    // In a text field Return submits the field, and only that.
    QLineEdit* edit = w.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    key(*edit, Qt::Key_Return);
    EXPECT_EQ(submitted, 1);
    EXPECT_EQ(pressed, 2);

    // A new content: the height follows it.
    window.setRoot(pane(200));
    EXPECT_EQ(w.size(), QSize(300, 240));
}

TEST(WindowHost, AHiddenWindowMakesNoFramesAndShowsWhatChangedOnceShownAgain) {
    fakes::VirtualTime time;
    State<int> count;
    int entries = 0;
    struct Pane {
        State<int>* count;
        int* entries;
        View body(Context& ctx) const {
            auto n = ctx.state<int>(0);
            *count = n;
            return VStack({
                TimelineView(TimelineSchedule::animation(1.0 / 30),
                             [e = entries](const TimelineContext&) {
                                 ++*e;
                                 return Color::red.frame({.width = 10, .height = 10});
                             }),
                Text(std::to_string(n.get())),
            });
        }
    };
    qt::WindowHost window(View(Pane{&count, &entries}), {.title = "Quorlix", .size = {200, 100}});
    time.advance(1);
    EXPECT_EQ(entries, 0) << "not shown yet";
    window.show();
    time.advance(1);
    EXPECT_GT(entries, 20);

    window.close();
    const int before = entries;
    count = 7;
    time.advance(2);
    EXPECT_EQ(entries, before) << "no frames while hidden";
    EXPECT_LT(time.queue.nextDueIn(), 0);
    window.show();
    time.runPending();
    EXPECT_NE(window.host().displayList().findText("7"), nullptr);
    time.advance(1);
    EXPECT_GT(entries, before + 20) << "and the animation goes on";
}

}  // namespace
}  // namespace quorlix::ui
