#include "platform/linux/qt_panel_window.h"

#include "platform/linux/qt_screens.h"
#include "ui/animation.h"
#include "ui/qt/panel_window.h"
#include "ui/views.h"

#include <QEvent>
#include <QObject>

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
    QtPanelWindow(const Rect& frame, std::function<void()> pointerMoved)
        : watch_(std::move(pointerMoved)), panel_(ui::EmptyView(), frame.size) {
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
        if (!closed_) panel_.show();
    }
    void orderOut() override { panel_.hide(); }
    void close() override {
        closed_ = true;
        panel_.hide();
    }
    bool isVisible() const override { return panel_.isVisible(); }

    void setInputAreas(const std::vector<Rect>& areas) override { panel_.setInputRegion(areas); }
    void setExcludedFromCapture(bool) override {}
    void animateAlpha(double alpha) override {
        panel_.setOpacity(alpha, ui::Animation::easeInOut(fadeDuration));
    }
    double alpha() const override { return panel_.opacity(); }

    void setContent(const ui::View& root, const ui::EnvironmentValues& environment) override {
        panel_.host().setEnvironment(environment);
        panel_.host().setRoot(root);
    }

private:
    PointerWatch watch_;
    ui::qt::PanelWindow panel_;
    Rect frame_;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<PanelWindow> QtPanelWindows::makePanel(const Rect& frame) {
    return std::make_unique<QtPanelWindow>(frame, pointerMoved_);
}

}  // namespace quorlix::platform
