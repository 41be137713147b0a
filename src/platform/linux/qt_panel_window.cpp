#include "platform/linux/qt_panel_window.h"

#include "platform/linux/qt_screens.h"
#include "platform/linux/x11_screen_lockers.h"
#include "platform/main_queue.h"
#include "ui/animation.h"
#include "ui/qt/panel_window.h"
#include "ui/views.h"

#include <QEvent>
#include <QObject>

#include <optional>

namespace quorlix::platform {

namespace {

// The platform's usual window fade.
constexpr double fadeDuration = 0.25;

// Tells of the pointer's moves over the panel's widget.
class PointerWatch final : public QObject {
public:
    explicit PointerWatch(std::function<void()> moved) : moved_(std::move(moved)) {}

    bool eventFilter(QObject*, QEvent* event) override {
        const auto type = event->type();
        if (moved_ && (type == QEvent::Enter || type == QEvent::Leave || type == QEvent::MouseMove)) moved_();
        return false;
    }

private:
    std::function<void()> moved_;
};

class QtPanelWindow final : public PanelWindow {
public:
    QtPanelWindow(const Rect& frame, std::function<void()> pointerMoved, X11ScreenLockers* lockers)
        : lockers_(lockers), watch_(std::move(pointerMoved)), panel_(ui::EmptyView(), frame.size) {
        panel_.widget().setWindowFlag(Qt::X11BypassWindowManagerHint);
        panel_.widget().setMouseTracking(true);
        panel_.widget().installEventFilter(&watch_);
        setFrame(frame);
    }

    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override {
        frame_ = frame;
        const QRect geometry = toQtGeometry(frame);
        panel_.setFrameOrigin({static_cast<double>(geometry.x()), static_cast<double>(geometry.y())});
    }
    void orderFront() override {
        if (closed_) return;
        panel_.show();
        stack();
    }
    void orderOut() override { panel_.hide(); }
    void close() override {
        closed_ = true;
        panel_.hide();
    }
    bool isVisible() const override { return panel_.isVisible(); }

    void setInputAreas(const std::vector<Rect>& areas) override { panel_.setInputRegion(areas); }
    void setExcludedFromCapture(bool) override {}
    void animateAlpha(double alpha) override { fade(alpha, fadeDuration, {}); }
    void fade(double alpha, double duration, std::function<void()> completion) override {
        if (duration > 0)
            panel_.setOpacity(alpha, ui::Animation::easeInOut(duration));
        else
            panel_.setOpacity(alpha);
        // The job owns the completion, so it may destroy this panel.
        fadeDone_ = completion ? MainQueue::shared().after(duration, std::move(completion)) : WorkItem();
    }
    double alpha() const override { return panel_.opacity(); }

    void setBelowScreenLockers(bool below) override {
        belowLockers_ = below;
        // A locker that appears later is mapped over us; one that was merely unmapped may come
        // back below us.
        lockerShown_ =
            below && lockers_ ? lockers_->onShown([this](std::uint32_t) { stack(); }) : Subscription();
        stack();
    }

    void setContent(const ui::View& root, const ui::EnvironmentValues& environment) override {
        panel_.host().setEnvironment(environment);
        panel_.host().setRoot(root);
    }

private:
    // Only panels told where they stand are restacked.
    void stack() {
        if (!lockers_ || !belowLockers_ || !panel_.isVisible()) return;
        lockers_->raise(static_cast<std::uint32_t>(panel_.widget().winId()), *belowLockers_);
    }

    X11ScreenLockers* lockers_;
    std::optional<bool> belowLockers_;
    Subscription lockerShown_;
    WorkItem fadeDone_;
    PointerWatch watch_;
    ui::qt::PanelWindow panel_;
    Rect frame_;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<PanelWindow> QtPanelWindows::makePanel(const Rect& frame) {
    return std::make_unique<QtPanelWindow>(frame, pointerMoved_, lockers_);
}

}  // namespace quorlix::platform
