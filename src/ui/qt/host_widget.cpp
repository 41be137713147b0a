#include "ui/qt/host_widget.h"

#include "platform/clock.h"
#include "ui/damage.h"
#include "ui/qt/qt_canvas.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/qt/x11_window_pixels.h"
#include "ui/text_field.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDrag>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>

#include <cmath>
#include <functional>
#include <set>

namespace quorlix::ui::qt {

namespace {

// Mouse wheels step by notches of 120; a notch scrolls 40 points. Trackpads give pixels.
constexpr double pointsPerNotch = 40;

std::vector<DropItem> itemsOf(const QMimeData* mime) {
    std::vector<DropItem> items;
    if (!mime || !mime->hasUrls()) return items;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            items.push_back({UTType::fileURL, url.toString(QUrl::FullyEncoded).toStdString()});
    return items;
}

std::vector<std::string> typesOf(const QMimeData* mime) {
    if (!itemsOf(mime).empty()) return {UTType::fileURL};
    return {};
}

void addItems(QMenu& menu, const std::vector<MenuItem>& items) {
    for (const auto& item : items) {
        switch (item.kind) {
            case MenuItem::Kind::divider: menu.addSeparator(); break;
            case MenuItem::Kind::submenu: {
                QMenu* sub = menu.addMenu(QString::fromStdString(item.title));
                sub->setEnabled(item.enabled);
                addItems(*sub, item.items);
                break;
            }
            case MenuItem::Kind::action: {
                QAction* action = menu.addAction(QString::fromStdString(item.title));
                action->setEnabled(item.enabled);
                if (item.checked) {
                    action->setCheckable(true);
                    action->setChecked(true);
                }
                QObject::connect(action, &QAction::triggered, &menu, [run = item.action] {
                    if (run) run();
                });
                break;
            }
        }
    }
}

// Every text field of the list, with the frame it is drawn in.
void collectFields(const DisplayItem& item, std::vector<const DisplayItem*>& out) {
    if (item.embedded && !item.inert) out.push_back(&item);
    for (const auto& c : item.children) collectFields(c, out);
}

}  // namespace

struct HostWidget::Field {
    QLineEdit* edit = nullptr;  // a child of the widget
    std::shared_ptr<const EmbeddedView> view;
};

HostWidget::HostWidget(ViewHost& host, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), host_(host) {
    setMouseTracking(true);
    setAcceptDrops(true);
    // Qt shows tooltips only over the active window, which one that never takes the focus never is.
    if (flags.testFlag(Qt::WindowDoesNotAcceptFocus)) setAttribute(Qt::WA_AlwaysShowToolTips);
    host_.onFrame = [this] { frameReady(); };
    host_.events().showMenu = [this](const std::vector<MenuItem>& items, Point at) { showMenu(items, at); };
    host_.events().startDrag = [this](const std::vector<DropItem>& items) { startDrag(items); };
    const Size s = host_.size();
    resize(static_cast<int>(std::ceil(s.width)), static_cast<int>(std::ceil(s.height)));
}

HostWidget::~HostWidget() {
    host_.onFrame = nullptr;
    host_.events().showMenu = nullptr;
    host_.events().startDrag = nullptr;
}

QLineEdit* HostWidget::textField(Identity identity) const {
    const auto found = fields_.find(identity.value);
    return found == fields_.end() ? nullptr : found->second->edit;
}

void HostWidget::setViewport(const Rect& viewport) {
    if (viewport_ == viewport) return;
    viewport_ = viewport;
    whole_ = true;
}

Point HostWidget::inHost(const QPointF& p) const {
    const Point o = origin();
    return {p.x() + o.x, p.y() + o.y};
}

void HostWidget::setHeld(bool held) {
    if (held == held_) return;
    held_ = held;
    if (held_) return;
    painted_ = host_.shownList();
    whole_ = true;
}

void HostWidget::frameReady() {
    if (beforeFrame) beforeFrame();
    if (held_) return;
    syncTextFields();
    // The help text shown follows what is now under the resting pointer: it goes with its view
    // (a closing island, a page turned) and changes with its text.
    if (help_) {
        if (!QToolTip::isVisible() || QToolTip::text() != QString::fromStdString(help_->second))
            help_.reset();
        else if (const std::string now = helpAtScreen(help_->first); now != help_->second)
            showHelp(help_->first, now);
    }
    std::shared_ptr<const DisplayItem> next = host_.shownList();
    if (!next) return;
    if (whole_ || !painted_) {
        painted_ = std::move(next);
        // A widget just moved to a new viewport (and resized for it) shows its frame in the same
        // batch of requests as the new size, not at Qt's next turn.
        if (viewport_ && isVisible())
            repaint();
        else
            update();
        return;
    }
    const Region damage = damageBetween(*painted_, *next);
    painted_ = std::move(next);
    if (damage.isEmpty()) return;
    pending_.add(damage);
    if (putDirectly()) return;
    // Asked of Qt in the widget's own (logical) pixels.
    QRegion logical;
    for (const QRect& r : deviceRegion(damage, 1, rect(), origin())) logical += r;
    update(logical);
}

QSize HostWidget::bufferSize() const {
    const qreal scale = devicePixelRatioF();
    return {std::max(1, static_cast<int>(std::ceil(width() * scale))),
            std::max(1, static_cast<int>(std::ceil(height() * scale)))};
}

bool HostWidget::putDirectly() {
    // Qt draws the native fields into its backing store, over the views: with any, Qt's way.
    if (!isWindow() || !fields_.empty() || whole_ || !painted_ || buffer_.size() != bufferSize())
        return false;
    QWindow* window = windowHandle();
    if (!window || !window->isExposed()) return false;
    if (pixelsWindow_ != window->winId()) {
        pixelsWindow_ = window->winId();
        pixels_ = X11WindowPixels::open(*window);
        // Qt answers an expose of a window with nothing marked for repainting by showing its
        // backing store again, which the pictures put past it have left behind.
        if (pixels_) window->installEventFilter(this);
    }
    if (!pixels_) return false;
    const qreal scale = devicePixelRatioF();
    buffer_.setDevicePixelRatio(1);
    const QRegion device = repaintRegion(buffer_, *painted_, scale, pending_, true, nullptr, origin());
    buffer_.setDevicePixelRatio(scale);
    pending_.clear();
    pixels_->put(buffer_, device);
    lastDrawn_ = platform::Clock::shared().now();
    return true;
}

void HostWidget::paintEvent(QPaintEvent* event) {
    const qreal scale = devicePixelRatioF();
    const QSize pixels = bufferSize();
    // One buffer, kept from frame to frame; what changed since it was painted is painted again.
    if (buffer_.size() != pixels) {
        buffer_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        whole_ = true;
    }
    if (!painted_) painted_ = host_.shownList();
    if (painted_ && (whole_ || !pending_.isEmpty())) {
        buffer_.setDevicePixelRatio(1);
        const Region area =
            whole_ ? Region(Rect{origin(), {static_cast<double>(width()), static_cast<double>(height())}})
                   : pending_;
        repaintRegion(buffer_, *painted_, scale, area, true, nullptr, origin());
        whole_ = false;
        pending_.clear();
    }
    buffer_.setDevicePixelRatio(scale);
    QPainter painter(this);
    // Replace, not blend: a translucent window shows exactly what the views draw. Rectangle by
    // rectangle, each a plain copy: under a clip of several rectangles Qt blends row spans
    // instead, and hands large ones to its thread pool.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : event->region())
        painter.drawImage(QRectF(r), buffer_,
                          QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale));
    painter.end();
    lastDrawn_ = platform::Clock::shared().now();
    if (afterPaint) afterPaint();
}

void HostWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A widget showing part of the host leaves the host its own size.
    if (!viewport_) host_.setSize({static_cast<double>(width()), static_cast<double>(height())});
}

void HostWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    host_.render();
    syncTextFields();
}

void HostWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    hideHelp();
}

void HostWidget::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // The pointer that pressed a close button leaves with the window, but no leave event says
    // so: hovered views forget it now, or they would still show their hover when it reopens.
    host_.events().pointerExited();
    if (onClose) onClose();
    // A closed window keeps its views and their state, but not its pictures: the kept buffer
    // and the list it shows go now, and the native window with its backing store once the
    // close is over. Showing it again makes them anew.
    buffer_ = QImage();
    pixels_.reset();
    pixelsWindow_ = 0;
    painted_.reset();
    pending_.clear();
    whole_ = true;
    QTimer::singleShot(0, this, [this] {
        if (isWindow() && !isVisible() && testAttribute(Qt::WA_WState_Created)) destroy();
    });
}

void HostWidget::mousePressEvent(QMouseEvent* event) {
    const auto button =
        event->button() == Qt::RightButton ? EventRouter::Button::secondary : EventRouter::Button::primary;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    if (movesByBackground && event->button() == Qt::LeftButton &&
        !host_.events().takesPress(inHost(event->position()))) {
        if (QWindow* window = windowHandle()) window->startSystemMove();
        return;
    }
    host_.events().pointerPressed(inHost(event->position()), button);
}

void HostWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // The router counts clicks itself: the second press is a press like any other.
    mousePressEvent(event);
}

void HostWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    host_.events().pointerReleased(inHost(event->position()));
}

void HostWidget::mouseMoveEvent(QMouseEvent* event) {
    host_.events().pointerMoved(inHost(event->position()));
}

void HostWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    hideHelp();
    host_.events().pointerExited();
}

void HostWidget::wheelEvent(QWheelEvent* event) {
    const QPoint pixels = event->pixelDelta();
    const QPointF delta =
        !pixels.isNull() ? QPointF(pixels) : QPointF(event->angleDelta()) * (pointsPerNotch / 120.0);
    if (host_.events().scrolled(inHost(event->position()), delta.x(), delta.y()))
        event->accept();
    else
        event->ignore();
}

void HostWidget::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    // A text field's Return (which it passes on) is its own submission.
    const bool typing = qobject_cast<QLineEdit*>(focusWidget()) != nullptr;
    if (enter && modifiers == Qt::NoModifier && !typing && !event->isAutoRepeat() &&
        host_.events().pressDefaultAction()) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HostWidget::dragEnterEvent(QDragEnterEvent* event) {
    const auto types = typesOf(event->mimeData());
    if (types.empty()) {
        event->ignore();
        return;
    }
    // Taken so that moves keep coming; whether a view takes the items is decided per move.
    event->acceptProposedAction();
    host_.events().dragMoved(inHost(event->position()), types);
}

void HostWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (host_.events().dragMoved(inHost(event->position()), typesOf(event->mimeData())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void HostWidget::dragLeaveEvent(QDragLeaveEvent* event) {
    QWidget::dragLeaveEvent(event);
    host_.events().dragExited();
}

void HostWidget::dropEvent(QDropEvent* event) {
    if (host_.events().dropped(inHost(event->position()), itemsOf(event->mimeData())))
        event->acceptProposedAction();
    else
        event->ignore();
}

bool HostWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // Where the pointer rests on screen: the window may have moved under it since the move
        // that armed the tooltip (a panel's window follows what it draws).
        const QPoint global = static_cast<QHelpEvent*>(event)->globalPos();
        const std::string text = helpAtScreen(global);
        showHelp(global, text);
        if (text.empty()) event->ignore();
        return true;
    }
    return QWidget::event(event);
}

std::string HostWidget::helpAtScreen(const QPoint& global) const {
    return host_.events().helpAt(inHost(mapFromGlobal(QPointF(global))));
}

void HostWidget::showHelp(const QPoint& global, const std::string& text) {
    if (text.empty()) {
        hideHelp();
        return;
    }
    help_.emplace(global, text);
    QToolTip::showText(global, QString::fromStdString(text), this);
    // The help box opens just below the pointer, often over the open island: clicks there are
    // the island's, so the box never takes the pointer.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->inherits("QTipLabel") || !top->windowHandle()) continue;
        top->windowHandle()->setFlag(Qt::WindowTransparentForInput, true);
    }
}

void HostWidget::hideHelp() {
    if (!help_) return;
    // Another widget's tooltip stays.
    if (QToolTip::isVisible() && QToolTip::text() == QString::fromStdString(help_->second))
        QToolTip::hideText();
    help_.reset();
}

bool HostWidget::eventFilter(QObject* watched, QEvent* event) {
    // Marked for repainting, the exposed window is painted from the buffer, which is current.
    if (event->type() == QEvent::Expose && watched == windowHandle() && pixels_) update();
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        for (const auto& [id, field] : fields_) {
            if (field->edit != watched || !field->view->focused) continue;
            field->view->focused->set(event->type() == QEvent::FocusIn);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HostWidget::syncTextFields() {
    const DisplayItem& root = host_.displayList();
    std::vector<const DisplayItem*> items;
    collectFields(root, items);
    std::set<std::uint64_t> seen;
    for (const DisplayItem* item : items) {
        const std::uint64_t id = item->identity.value;
        if (!seen.insert(id).second) continue;
        auto& field = fields_[id];
        if (!field) {
            field = std::make_unique<Field>();
            field->edit = new QLineEdit(this);
            QLineEdit* edit = field->edit;
            edit->setFrame(false);
            edit->installEventFilter(this);
            connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
                if (const auto f = fields_.find(id); f != fields_.end() && f->second->view->setText)
                    f->second->view->setText(text.toStdString());
            });
            connect(edit, &QLineEdit::returnPressed, this, [this, id] {
                if (const auto f = fields_.find(id); f != fields_.end() && f->second->view->onSubmit)
                    f->second->view->onSubmit();
            });
            edit->show();
        }
        const EmbeddedView& view = *item->embedded;
        field->view = item->embedded;
        QLineEdit* edit = field->edit;
        const Rect r = root.drawnFrame(item).offsetBy(-origin().x, -origin().y);
        edit->setGeometry(
            QRect(QPoint(static_cast<int>(std::lround(r.minX())), static_cast<int>(std::lround(r.minY()))),
                  QSize(std::max(1, static_cast<int>(std::lround(r.width()))),
                        std::max(1, static_cast<int>(std::lround(r.height()))))));
        edit->setFont(QtFontEngine::widgetFont(view.font));
        const QColor color =
            QColor::fromRgbF(static_cast<float>(view.color.r), static_cast<float>(view.color.g),
                             static_cast<float>(view.color.b), static_cast<float>(view.color.a));
        QColor placeholder = color;
        placeholder.setAlphaF(0.45F);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, color);
        palette.setColor(QPalette::PlaceholderText, placeholder);
        palette.setColor(QPalette::Base, Qt::transparent);
        edit->setPalette(palette);
        edit->setStyleSheet(view.plain
                                ? "QLineEdit { background: transparent; border: none; padding: 0; }"
                                : "QLineEdit { background: transparent; border: none; padding: 0 6px; }");
        edit->setPlaceholderText(QString::fromStdString(view.placeholder));
        const QString text = QString::fromStdString(view.text);
        if (edit->text() != text) edit->setText(text);
        edit->setEnabled(view.enabled);
        edit->setReadOnly(view.readOnly);
        if (view.focused && view.focused->get() && !edit->hasFocus()) edit->setFocus();
    }
    for (auto it = fields_.begin(); it != fields_.end();) {
        if (seen.contains(it->first)) {
            ++it;
            continue;
        }
        it->second->edit->deleteLater();
        it = fields_.erase(it);
    }
}

std::optional<QRect> HostWidget::openMenuGeometry() const {
    if (!menu_ || !menu_->isVisible()) return std::nullopt;
    QRect area = menu_->geometry();
    for (const QMenu* sub : menu_->findChildren<QMenu*>())
        if (sub->isVisible()) area |= sub->geometry();
    return area;
}

void HostWidget::closeMenus() {
    if (menu_) menu_->close();
}

void HostWidget::showMenu(const std::vector<MenuItem>& items, Point at) {
    if (menu_) menu_->close();
    auto* menu = new QMenu(this);
    menu_ = menu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addItems(*menu, items);
    const Point o = origin();
    menu->popup(mapToGlobal(
        QPoint(static_cast<int>(std::lround(at.x - o.x)), static_cast<int>(std::lround(at.y - o.y)))));
}

void HostWidget::startDrag(const std::vector<DropItem>& items) {
    QList<QUrl> urls;
    for (const auto& item : items)
        if (item.type == UTType::fileURL) urls.push_back(QUrl(QString::fromStdString(item.value)));
    if (urls.isEmpty()) return;
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}

}  // namespace quorlix::ui::qt
