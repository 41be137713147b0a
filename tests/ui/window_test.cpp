// The Qt window hosts: the panel, an ordinary window, events and native text fields.
// (The QApplication comes from render_test.cpp's environment.)

#include "fakes/virtual_time.h"
#include "qt_test_support.h"
#include "ui/qt/panel_window.h"
#include "ui/qt/window_host.h"
#include "ui/ui.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QtGui/qguiapplication_platform.h>

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
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i) rects.emplace_back(r[i].x, r[i].y, r[i].width, r[i].height);
    std::free(reply);
    return rects;
}

void click(QWidget& w, QPointF at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    QApplication::sendEvent(&w, &release);
}

TEST(PanelWindow, IsAFixedTransparentPanelThatNeverTakesFocusAndFadesOnVirtualTime) {
    fakes::VirtualTime time;
    int clicks = 0;
    qt::PanelWindow panel(Button(Color::red.frame({.width = 40, .height = 20}), [&] { ++clicks; })
                              .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading}),
                          {300, 120});
    QWidget& w = panel.widget();
    EXPECT_EQ(w.size(), QSize(300, 120));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(w.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(panel.inputRegion().empty());  // every click passes through until told
    if (const auto shape = inputShape(w)) {
        EXPECT_TRUE(shape->empty());
    }
    panel.setInputRegion({{0, 0, 40, 20}});
    EXPECT_EQ(panel.inputRegion().size(), 1u);
    if (const auto shape = inputShape(w)) {
        EXPECT_EQ(*shape, std::vector<QRect>{QRect(0, 0, 40, 20)});
    }

    panel.show();
    time.runPending();
    // What is outside the views stays transparent; the button is drawn.
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(shot.pixelColor(200, 100).alpha(), 0);
    EXPECT_EQ(shot.pixelColor(10, 10), QColor(255, 69, 58));
    click(w, {10, 10});
    EXPECT_EQ(clicks, 1);

    panel.setOpacity(0, Animation::linear(0.5));
    time.advance(0.25);
    EXPECT_NEAR(panel.opacity(), 0.5, 0.02);
    EXPECT_NEAR(w.windowOpacity(), 0.5, 0.02);
    time.advance(0.3);
    EXPECT_EQ(panel.opacity(), 0);
    EXPECT_LT(time.queue.nextDueIn(), 0);  // idle once faded
    panel.setOpacity(1);
    EXPECT_EQ(w.windowOpacity(), 1);
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

}  // namespace
}  // namespace quorlix::ui
