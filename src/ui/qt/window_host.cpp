#include "ui/qt/window_host.h"

#include "ui/qt/qt_font_engine.h"
#include "ui/ui.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace quorlix::ui::qt {

namespace {

constexpr double buttonSize = 12;
constexpr double buttonSpacing = 8;
constexpr double buttonsLeading = 20;

// One round window button: its colour, or grey while disabled; its glyph while the pointer is
// over the group.
View windowButton(Color color, const char* glyph, bool showGlyph, bool enabled,
                  std::function<void()> action) {
    const View face = ZStack({
        Circle().fill(enabled ? color : Color::white.opacity(0.2)),
        Circle().strokeBorder(Color::black.opacity(0.15), 0.5),
        Symbol(glyph)
            .font(Font::system(9, FontWeight::bold))
            .foregroundStyle(Color::black.opacity(0.55))
            .opacity(showGlyph && enabled ? 1 : 0),
    });
    return Button(face.frame({.width = buttonSize, .height = buttonSize}), std::move(action))
        .disabled(!enabled);
}

}  // namespace

View WindowButtons::body(Context& ctx) const {
    auto hovering = ctx.state<bool>(false);
    Views buttons{
        windowButton(Color::sRGB(1.0, 0.373, 0.341), "xmark", hovering, true, close).id("window.close")};
    if (minimize) {
        buttons.push_back(windowButton(Color::sRGB(0.996, 0.737, 0.180), "minus", hovering, true, minimize)
                              .id("window.minimize"));
        buttons.push_back(
            windowButton(Color::sRGB(0.157, 0.784, 0.251), "plus", hovering, false, [] {}).id("window.zoom"));
    }
    return HStack({.spacing = buttonSpacing}, std::move(buttons))
        .onHover([hovering](bool inside) { hovering = inside; })
        .padding(Edge::leading, buttonsLeading)
        .frame({.height = stripHeight});
}

WindowHost::WindowHost(View root, WindowOptions options, EnvironmentValues environment)
    : options_(std::move(options)),
      host_(
          std::make_unique<ViewHost>(QtFontEngine::shared(), View(), options_.size, std::move(environment))),
      widget_(std::make_unique<HostWidget>(*host_, nullptr,
                                           Qt::Window |
                                               (options_.floating ? Qt::WindowStaysOnTopHint : Qt::Widget) |
                                               (options_.frameless ? Qt::FramelessWindowHint : Qt::Widget))) {
    host_->setRoot(decorated(std::move(root)));
    // Not shown yet: no frames until it is.
    host_->setPaused(true);
    widget_->setWindowTitle(QString::fromStdString(options_.title));
    const QSize size(static_cast<int>(std::ceil(options_.size.width)),
                     static_cast<int>(std::ceil(options_.size.height)));
    if (options_.resizable)
        widget_->resize(size);
    else
        widget_->setFixedSize(size);
    fitHeight();
    if (options_.translucent) widget_->setAttribute(Qt::WA_TranslucentBackground);
    widget_->movesByBackground = options_.frameless;
    widget_->onClose = [this] {
        // Hidden, it draws nothing until shown again.
        host_->setPaused(true);
        if (onClose) onClose();
    };
}

WindowHost::~WindowHost() {
    widget_->onClose = nullptr;
    widget_.reset();
    host_.reset();
}

View WindowHost::decorated(View root) {
    if (!options_.frameless) return root;
    std::function<void()> minimizing;
    if (!options_.closeButtonOnly) minimizing = [this] { minimize(); };
    return ZStack({.alignment = Alignment::topLeading},
                  {
                      std::move(root),
                      WindowButtons{[this] { close(); }, std::move(minimizing)},
                  });
}

void WindowHost::setRoot(View root) {
    host_->setRoot(decorated(std::move(root)));
    fitHeight();
}

void WindowHost::fitHeight() {
    if (!options_.fitsContentHeight) return;
    const double height = host_->fittingSize({options_.size.width, std::nullopt}).height;
    const QSize size(static_cast<int>(std::ceil(options_.size.width)),
                     std::max(1, static_cast<int>(std::ceil(height))));
    if (options_.resizable)
        widget_->resize(size);
    else
        widget_->setFixedSize(size);
    // The widget tells the host its new size as it resizes; a hidden one may not yet.
    host_->setSize({static_cast<double>(size.width()), static_cast<double>(size.height())});
}

void WindowHost::show() {
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            widget_->move(area.center() - QPoint(widget_->width() / 2, widget_->height() / 2));
        }
    }
    host_->setPaused(false);
    if (widget_->isMinimized()) widget_->showNormal();
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
}

void WindowHost::close() { widget_->close(); }

void WindowHost::minimize() { widget_->showMinimized(); }

bool WindowHost::isVisible() const { return widget_->isVisible(); }

bool WindowHost::isMinimized() const { return widget_->isMinimized(); }

void WindowHost::clearFocus() {
    if (QWidget* focused = widget_->focusWidget()) focused->clearFocus();
    widget_->setFocus(Qt::OtherFocusReason);
}

}  // namespace quorlix::ui::qt
