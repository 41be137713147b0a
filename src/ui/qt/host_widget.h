#pragma once
// The widget that shows a ViewHost in a Qt window: it draws each frame the host produces,
// hands pointer, wheel and drag-and-drop events to the host's router, shows context and
// pop-up menus as QMenu, tooltips from the views' help texts, drags files out with QDrag,
// presses the default button on Return, and keeps a QLineEdit over each text field of the
// tree. The window hosts (panel_window.h,
// window_host.h) are made of one. Needs a QApplication. Main thread only.
//
// A help text shows where the pointer rests, in a window that never takes the focus too (Qt
// shows tooltips only over the active window unless told), and goes once the pointer leaves
// its view, the view goes or changes its text, or the window hides.
//
// A widget may show only part of the host's space (its viewport), the host keeping its own size:
// the island's panel is as large as what its views draw. Events and pictures are mapped between
// the two.
//
// The widget keeps the picture it shows in a buffer. Each frame is compared with the one the
// buffer shows (ui/damage.h), and only the region that changed is repainted into the buffer
// and asked of Qt, so the window system flushes only that; a frame that changes nothing draws
// nothing. On X11 the region repainted goes straight from the buffer into a window that takes
// its pixels as they are (x11_window_pixels.h), past Qt's repaint and backing store. A closed
// window lets its buffer and native window go (its views stay).

#include "ui/region.h"
#include "ui/view_host.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QLineEdit;
class QMenu;

namespace quorlix::ui::qt {

class X11WindowPixels;

class HostWidget : public QWidget {
    Q_OBJECT

public:
    // `host` must outlive the widget.
    explicit HostWidget(ViewHost& host, QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~HostWidget() override;

    ViewHost& host() { return host_; }
    // The native field shown for the text field of an identity (tests).
    QLineEdit* textField(Identity identity) const;

    // The part of the host's space the widget shows, from its top-left corner: the whole of it
    // unless set. A new viewport is drawn whole at the next frame; the owner sizes and places
    // the widget to match.
    void setViewport(const Rect& viewport);
    Point origin() const { return viewport_ ? viewport_->origin : Point{}; }

    // Told when the window is closed (by the user or by `close()`).
    std::function<void()> onClose;
    // Told of each frame of the host before the widget draws it.
    std::function<void()> beforeFrame;
    // Told each time the widget has painted, before Qt sends the pixels to the window system.
    std::function<void()> afterPaint;

    // The menus the views opened (a context or pop-up menu, with any submenu open from it):
    // where they stand on screen while open, and closing them.
    std::optional<QRect> openMenuGeometry() const;
    void closeMenus();
    // A press that reaches no control moves the window (a frameless window's title bar).
    bool movesByBackground = false;

    // While held, the host's frames are not drawn: the window shows the last one drawn. Let go,
    // the widget draws the host's latest frame whole at its next one.
    void setHeld(bool held);
    // When the widget last drew into its window (the monotonic clock's seconds), if it has.
    std::optional<double> lastDrawn() const { return lastDrawn_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field;
    void frameReady();
    Point inHost(const QPointF& p) const;
    // Repaints what is pending into the buffer and puts it straight into the window, when the
    // window takes the buffer's pixels as they are (x11_window_pixels.h); false to ask Qt.
    bool putDirectly();
    QSize bufferSize() const;
    void syncTextFields();
    void showMenu(const std::vector<MenuItem>& items, Point at);
    // The help text at a point of the screen, as the widget stands now.
    std::string helpAtScreen(const QPoint& global) const;
    // Shows the help text at `global` (hides the tooltip when empty).
    void showHelp(const QPoint& global, const std::string& text);
    void hideHelp();
    void startDrag(const std::vector<DropItem>& items);

    ViewHost& host_;
    std::map<std::uint64_t, std::unique_ptr<Field>> fields_;
    QImage buffer_;
    // The list the buffer shows once `pending_` is repainted; all of it when `whole_`.
    std::shared_ptr<const DisplayItem> painted_;
    Region pending_;
    bool whole_ = true;
    // The window the buffer is put into directly, and the native window that was asked (none
    // when it cannot take the buffer's pixels).
    std::unique_ptr<X11WindowPixels> pixels_;
    std::uintptr_t pixelsWindow_ = 0;
    std::optional<Rect> viewport_;
    QPointer<QMenu> menu_;
    // The help text this widget shows, and where the pointer rests for it (screen pixels).
    std::optional<std::pair<QPoint, std::string>> help_;
    bool held_ = false;
    std::optional<double> lastDrawn_;
};

}  // namespace quorlix::ui::qt
