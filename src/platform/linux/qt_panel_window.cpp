#include "platform/linux/qt_panel_window.h"

#include "platform/linux/qt_screens.h"
#include "platform/linux/wayland_pointer_catch.h"
#include "platform/linux/x11_pointer_monitor.h"
#include "platform/linux/x11_screen_lockers.h"
#include "platform/main_queue.h"
#include "ui/animation.h"
#include "ui/qt/panel_window.h"
#include "ui/views.h"

#include <QCursor>
#include <QDropEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QScreen>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace quorlix::platform {

namespace {

// The platform's usual window fade.
constexpr double fadeDuration = 0.25;
// A notch of the wheel, in Qt's eighths of a degree.
constexpr double angleDeltaPerNotch = 120;

// What a panel's pointer watch asks of the pointer catch of a Wayland session.
class CatchHooks {
public:
    virtual ~CatchHooks() = default;
    // Whether a move at the server's time `serverTime` happened before the pointer's last leave
    // through the catch, and so tells nothing of where it is now.
    virtual bool cameBeforeLeaving(std::uint32_t serverTime) const = 0;
    // The pointer moves over the panel with no button down.
    virtual void over() = 0;
    // A button went down over the panel.
    virtual void pressed() = 0;
    // Whether the catch tells of the pointer leaving now: the strips are out.
    virtual bool catchesLeaves() const = 0;
    // Whether the panel takes the pointer at a point of Qt's global space.
    virtual bool takesPointerAt(const QPoint& global) const = 0;
};

// Tells the pointer monitor what the panel's widget sees of the pointer and of drags. Coming
// into the panel may be the whole of an arrival: a jump or a tap makes no move after it, and Qt
// drops a move that ends where its last one did.
class PointerWatch final : public QObject {
public:
    explicit PointerWatch(X11PointerMonitor* pointer) : pointer_(pointer) {}

    // In a Wayland session, where the pointer's leaving is caught by windows of our own.
    void setCatch(CatchHooks* hooks) { catch_ = hooks; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!pointer_) return false;
        const auto at = [watched](const QEvent* drop) {
            const QPoint local = static_cast<const QDropEvent*>(drop)->position().toPoint();
            return fromQtPoint(static_cast<QWidget*>(watched)->mapToGlobal(local));
        };
        switch (event->type()) {
            case QEvent::Enter:
                // With the strips out, the pointer is over the panel already: an enter is a crossing
                // the panel's window made as it changed under it. Otherwise one onto the panel's
                // areas is an arrival, with or without a move after it; XWayland's word of where
                // the pointer is tells an enter from before a leave through the strips.
                if (catch_ && (catch_->catchesLeaves() || !catch_->takesPointerAt(QCursor::pos()))) break;
                if (catch_) catch_->over();
                pointer_->pointerEnteredOwnWindow();
                break;
            case QEvent::MouseMove: {
                const auto* move = static_cast<QMouseEvent*>(event);
                // Qt's time of a window system's event is the X server's.
                if (catch_ && catch_->cameBeforeLeaving(static_cast<std::uint32_t>(move->timestamp()))) break;
                if (catch_ && move->buttons() == Qt::NoButton) catch_->over();
                pointer_->pointerMovedOverOwnWindow();
                break;
            }
            case QEvent::Leave:
                // With the strips out, a leave of the panel is a crossing the panel's window made
                // as it changed under the pointer: leaving, the pointer reaches a strip first.
                if (!catch_ || !catch_->catchesLeaves()) pointer_->pointerLeftOwnWindow();
                break;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:  // the second press of a double click
                if (catch_) catch_->pressed();
                [[fallthrough]];
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                    pointer_->leftButtonOverOwnWindow(event->type() != QEvent::MouseButtonRelease);
                break;
            case QEvent::Wheel: {
                const OwnWindowScroll scroll = ownWindowScroll(*static_cast<QWheelEvent*>(event));
                pointer_->wheelOverOwnWindow(scroll.dx, scroll.dy, scroll.precise, scroll.natural,
                                             scroll.time);
                break;
            }
            case QEvent::DragEnter:
            case QEvent::DragMove: pointer_->dragOverOwnWindow(at(event)); break;
            case QEvent::Drop: pointer_->dragOverOwnWindow(at(event), true); break;
            case QEvent::DragLeave: pointer_->dragOverOwnWindow(std::nullopt, true); break;
            default: break;
        }
        return false;
    }

private:
    X11PointerMonitor* pointer_;
    CatchHooks* catch_ = nullptr;
};

class QtPanelWindow final : public PanelWindow, CatchHooks {
public:
    QtPanelWindow(const Rect& frame, X11PointerMonitor* pointer, X11ScreenLockers* lockers)
        : pointer_(pointer), lockers_(lockers), watch_(pointer), panel_(ui::EmptyView(), frame.size) {
        panel_.widget().setMouseTracking(true);
        panel_.widget().installEventFilter(&watch_);
        const bool xwayland = pointer && pointer->throughXWayland();
        panel_.setNudgesCompositor(xwayland);
        panel_.setMovesWaitForStillPicture(xwayland);
        if (xwayland) watch_.setCatch(this);
        setFrame(frame);
    }
    ~QtPanelWindow() override { watch_.setCatch(nullptr); }

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
    void orderOut() override {
        if (catch_) catch_->dismiss();
        panel_.hide();
    }
    void close() override {
        closed_ = true;
        orderOut();
    }
    bool isVisible() const override { return panel_.isVisible(); }

    void setInputAreas(const std::vector<Rect>& areas) override {
        panel_.setInputRegion(areas);
        if (catch_ && catch_->isSpread()) spreadCatch(true);
    }
    void setWindowLimit(const Rect& limit) override { panel_.setLimit(limit); }
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

    std::optional<Rect> openMenuFrame() const override {
        const auto menu = panel_.widget().openMenuGeometry();
        if (!menu) return std::nullopt;
        return fromQtGeometry(*menu);
    }
    void closeMenus() override { panel_.widget().closeMenus(); }

private:
    bool cameBeforeLeaving(std::uint32_t serverTime) const override {
        return catch_ && catch_->cameBeforeLeaving(serverTime);
    }
    void over() override { spreadCatch(false); }
    void pressed() override {
        if (catch_) catch_->dismiss();
    }
    bool catchesLeaves() const override { return catch_ && catch_->isSpread(); }
    bool takesPointerAt(const QPoint& global) const override {
        // The pixel's middle, in the panel's own points.
        const Point origin = panel_.frameOrigin();
        const Point at{global.x() + 0.5 - origin.x, global.y() + 0.5 - origin.y};
        const auto& areas = panel_.inputRegion();
        return std::any_of(areas.begin(), areas.end(), [&](const Rect& r) { return r.contains(at); });
    }

    // Spreads the catch around the panel's input areas: when the pointer comes over the panel,
    // or `again` when the areas changed under it.
    void spreadCatch(bool again) {
        if ((catch_ && catch_->isSpread() && !again) || !panel_.isVisible()) return;
        const QScreen* screen = panel_.widget().screen();
        if (!screen) return;
        // Made the first time the pointer comes over the panel: a panel the pointer never
        // reaches (the lock screen's) needs none.
        if (!catch_)
            catch_ = std::make_unique<WaylandPointerCatch>(
                std::string(), [pointer = pointer_] { pointer->pointerLeftOwnWindow(); });
        // From the panel's own points to the X server's pixels.
        const double scale = screen->devicePixelRatio();
        const auto pixels = [scale](double x, double y, double w, double h) {
            return QRect(qFloor(x * scale), qFloor(y * scale), qCeil(w * scale), qCeil(h * scale));
        };
        const Point origin = panel_.frameOrigin();
        std::vector<QRect> areas;
        for (const Rect& r : panel_.inputRegion())
            areas.push_back(pixels(origin.x + r.minX(), origin.y + r.minY(), r.width(), r.height()));
        const QRect s = screen->geometry();
        catch_->spread(areas, pixels(s.x(), s.y(), s.width(), s.height()));
    }

    // Only panels told where they stand are restacked.
    void stack() {
        if (!lockers_ || !belowLockers_ || !panel_.isVisible()) return;
        lockers_->raise(static_cast<std::uint32_t>(panel_.widget().winId()), *belowLockers_);
    }

    X11PointerMonitor* pointer_;
    X11ScreenLockers* lockers_;
    std::optional<bool> belowLockers_;
    Subscription lockerShown_;
    WorkItem fadeDone_;
    PointerWatch watch_;
    ui::qt::PanelWindow panel_;
    std::unique_ptr<WaylandPointerCatch> catch_;
    Rect frame_;
    bool closed_ = false;
};

}  // namespace

OwnWindowScroll ownWindowScroll(const QWheelEvent& wheel) {
    // Only pixel deltas tell of a device that scrolls by the pixel. The device's type does
    // not: XWayland moves one pointer for every device, and Qt takes it for a touchpad, a
    // wheel's notches included (they come without pixel deltas, and count as a wheel's).
    const QPoint pixels = wheel.pixelDelta();
    // The platform's signs are Qt's.
    const QPointF delta =
        !pixels.isNull() ? QPointF(pixels) : QPointF(wheel.angleDelta()) / angleDeltaPerNotch;
    return {.dx = delta.x(),
            .dy = delta.y(),
            .precise = !pixels.isNull(),
            .natural = wheel.inverted(),
            .time = static_cast<std::uint32_t>(wheel.timestamp())};
}

std::unique_ptr<PanelWindow> QtPanelWindows::makePanel(const Rect& frame) {
    return std::make_unique<QtPanelWindow>(frame, pointer_, lockers_);
}

}  // namespace quorlix::platform
