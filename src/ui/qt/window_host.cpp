#include "ui/qt/window_host.h"

#include "ui/qt/qt_font_engine.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace quorlix::ui::qt {

WindowHost::WindowHost(View root, WindowOptions options, EnvironmentValues environment)
    : host_(std::make_unique<ViewHost>(QtFontEngine::shared(), std::move(root), options.size, std::move(environment))),
      widget_(std::make_unique<HostWidget>(*host_, nullptr,
                                           Qt::Window | (options.floating ? Qt::WindowStaysOnTopHint : Qt::Widget))) {
    widget_->setWindowTitle(QString::fromStdString(options.title));
    const QSize size(static_cast<int>(std::ceil(options.size.width)), static_cast<int>(std::ceil(options.size.height)));
    if (options.resizable) widget_->resize(size);
    else widget_->setFixedSize(size);
    if (options.translucent) widget_->setAttribute(Qt::WA_TranslucentBackground);
    widget_->onClose = [this] {
        if (onClose) onClose();
    };
}

WindowHost::~WindowHost() {
    widget_->onClose = nullptr;
    widget_.reset();
    host_.reset();
}

void WindowHost::show() {
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            widget_->move(area.center() - QPoint(widget_->width() / 2, widget_->height() / 2));
        }
    }
    if (widget_->isMinimized()) widget_->showNormal();
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
}

void WindowHost::close() { widget_->close(); }

bool WindowHost::isVisible() const { return widget_->isVisible(); }

}  // namespace quorlix::ui::qt
