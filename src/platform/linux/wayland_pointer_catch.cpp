#include "platform/linux/wayland_pointer_catch.h"

#include "platform/linux/x11_pointer_monitor.h"

#include <QCursor>
#include <QEvent>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace quorlix::platform {

class WaylandPointerCatch::Strip final : public QWidget {
public:
    explicit Strip(std::function<void()> reached)
        : QWidget(nullptr, Qt::Tool | Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint |
                               Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
          reached_(std::move(reached)) {
        // Drawn clear: only the pointer notices it.
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_X11DoNotAcceptFocus);
        setFocusPolicy(Qt::NoFocus);
        setMouseTracking(true);
    }

protected:
    bool event(QEvent* event) override {
        switch (event->type()) {
            case QEvent::Enter:
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::Wheel: reached_(); return true;
            default: return QWidget::event(event);
        }
    }

private:
    std::function<void()> reached_;
};

WaylandPointerCatch::WaylandPointerCatch(QWidget& panel, X11PointerMonitor& pointer,
                                         std::function<std::vector<QRect>()> areas)
    : panel_(panel), pointer_(pointer), areas_(std::move(areas)) {
    const auto reached = [this] {
        // A strip that came under a pointer still over the panel's areas does not count.
        if (overPanel()) return;
        dismiss();
        pointer_.pointerMovedOverOwnWindow(true);
    };
    for (auto& strip : strips_) strip = std::make_unique<Strip>(reached);
}

WaylandPointerCatch::~WaylandPointerCatch() = default;

bool WaylandPointerCatch::overPanel() const {
    const QPoint at = QCursor::pos();
    for (const QRect& area : areas_())
        if (area.contains(at)) return true;
    return false;
}

void WaylandPointerCatch::pointerOverPanel() {
    if (shown_ || !panel_.isVisible()) return;
    shown_ = true;
    place();
}

void WaylandPointerCatch::areasChanged() {
    if (shown_) place();
}

void WaylandPointerCatch::place() {
    const QScreen* screen = panel_.screen();
    QRect taken;
    for (const QRect& area : areas_()) taken |= area;
    if (!screen || taken.isEmpty()) {
        dismiss();
        return;
    }
    const QRect s = screen->geometry();
    const QRect b = taken.intersected(s);
    // Above the areas and below them, the screen's width; left and right of them, their height.
    const QRect strips[] = {QRect(QPoint(s.left(), s.top()), QPoint(s.right(), b.top() - 1)),
                            QRect(QPoint(s.left(), b.bottom() + 1), QPoint(s.right(), s.bottom())),
                            QRect(QPoint(s.left(), b.top()), QPoint(b.left() - 1, b.bottom())),
                            QRect(QPoint(b.right() + 1, b.top()), QPoint(s.right(), b.bottom()))};
    for (std::size_t i = 0; i < strips_.size(); ++i) {
        if (strips[i].isEmpty()) {
            strips_[i]->hide();
            continue;
        }
        strips_[i]->setGeometry(strips[i]);
        strips_[i]->show();
    }
}

void WaylandPointerCatch::dismiss() {
    if (!shown_) return;
    shown_ = false;
    for (auto& strip : strips_) strip->hide();
}

}  // namespace quorlix::platform
