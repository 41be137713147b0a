#include "platform/linux/qt_panel_window.h"

#include "platform/linux/qt_screens.h"
#include "ui/qt/qt_canvas.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/view_graph.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPropertyAnimation>
#include <QWidget>

#include <xcb/shape.h>

#include <cmath>
#include <optional>

namespace quorlix::platform {

namespace {

// The platform's usual window fade.
constexpr int fadeMilliseconds = 200;

class PanelWidget final : public QWidget {
public:
    explicit PanelWidget(std::function<void()> pointerMoved)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus | Qt::Tool),
          graph_(ui::qt::QtFontEngine::shared()),
          pointerMoved_(std::move(pointerMoved)) {
        setMouseTracking(true);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_X11DoNotAcceptFocus);
        setFocusPolicy(Qt::NoFocus);
        setWindowTitle(QStringLiteral("Quorlix"));
    }

    void setContent(const ui::View& root, const ui::EnvironmentValues& environment) {
        root_ = root;
        environment_ = environment;
        update();
    }

protected:
    void enterEvent(QEnterEvent*) override { pointerMoved(); }
    void leaveEvent(QEvent*) override { pointerMoved(); }
    void mouseMoveEvent(QMouseEvent*) override { pointerMoved(); }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), Qt::transparent);
        if (!root_) return;
        graph_.update(*root_, {static_cast<double>(width()), static_cast<double>(height())}, environment_);
        follow(graph_.observedObjects());

        // Drawn at the screen's pixel density, so shadows and clips stay sharp.
        const double scale = devicePixelRatioF();
        QImage image(static_cast<int>(std::ceil(width() * scale)),
                     static_cast<int>(std::ceil(height() * scale)), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter imagePainter(&image);
            ui::qt::QtCanvas canvas(imagePainter, ui::qt::QtFontEngine::shared(), scale, image.size());
            graph_.displayList().draw(canvas);
        }
        image.setDevicePixelRatio(scale);
        painter.drawImage(QPointF(0, 0), image);
    }

private:
    void pointerMoved() {
        if (pointerMoved_) pointerMoved_();
    }

    // Draws again after any change of the objects the last tree read.
    void follow(const std::vector<ObservableObject*>& objects) {
        if (objects == followed_) return;
        followed_ = objects;
        subscriptions_.clear();
        for (ObservableObject* object : objects)
            subscriptions_.push_back(object->objectWillChange.connect([this] { update(); }));
    }

    ui::ViewGraph graph_;
    std::optional<ui::View> root_;
    ui::EnvironmentValues environment_;
    std::vector<ObservableObject*> followed_;
    std::vector<Subscription> subscriptions_;
    std::function<void()> pointerMoved_;
};

class QtPanelWindow final : public PanelWindow {
public:
    QtPanelWindow(const Rect& frame, std::function<void()> pointerMoved) : widget_(std::move(pointerMoved)) {
        fade_.setDuration(fadeMilliseconds);
        setFrame(frame);
        widget_.winId();  // the native window exists from now on, so its shape can be set
        setInputAreas({});
    }

    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override {
        frame_ = frame;
        widget_.setGeometry(toQtGeometry(frame));
    }
    void orderFront() override {
        if (closed_) return;
        widget_.show();
        widget_.raise();
        applyInputShape();
    }
    void orderOut() override { widget_.hide(); }
    void close() override {
        closed_ = true;
        widget_.hide();
    }
    bool isVisible() const override { return widget_.isVisible(); }

    void setInputAreas(const std::vector<Rect>& areas) override {
        areas_ = areas;
        applyInputShape();
    }
    void setExcludedFromCapture(bool) override {}

    void animateAlpha(double alpha) override {
        fade_.stop();
        fade_.setStartValue(widget_.windowOpacity());
        fade_.setEndValue(alpha);
        fade_.start();
    }
    double alpha() const override { return widget_.windowOpacity(); }

    void setContent(const ui::View& root, const ui::EnvironmentValues& environment) override {
        widget_.setContent(root, environment);
    }

private:
    void applyInputShape() {
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (!x11 || !widget_.windowHandle()) return;
        xcb_connection_t* c = x11->connection();
        // Points to the window's device pixels, rounded outward.
        const double scale = widget_.devicePixelRatioF();
        std::vector<xcb_rectangle_t> rectangles;
        for (const Rect& area : areas_) {
            const double left = std::floor(area.minX() * scale);
            const double top = std::floor(area.minY() * scale);
            const double right = std::ceil(area.maxX() * scale);
            const double bottom = std::ceil(area.maxY() * scale);
            if (right <= left || bottom <= top) continue;
            rectangles.push_back({static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
                                  static_cast<std::uint16_t>(right - left),
                                  static_cast<std::uint16_t>(bottom - top)});
        }
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                             static_cast<xcb_window_t>(widget_.winId()), 0, 0,
                             static_cast<std::uint32_t>(rectangles.size()), rectangles.data());
        xcb_flush(c);
    }

    PanelWidget widget_;
    QPropertyAnimation fade_{&widget_, "windowOpacity"};
    Rect frame_;
    std::vector<Rect> areas_;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<PanelWindow> QtPanelWindows::makePanel(const Rect& frame) {
    return std::make_unique<QtPanelWindow>(frame, pointerMoved_);
}

}  // namespace quorlix::platform
