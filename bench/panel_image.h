#pragma once
// What the benchmarks draw into: an image of a panel at a scale, and a display list drawn
// into it as a window draws a frame (cleared first).

#include "ui/display_list.h"
#include "ui/qt/qt_canvas.h"

#include <QImage>
#include <QPainter>

namespace quorlix::bench {

inline QImage panelImage(Size panel, double scale) {
    return QImage(static_cast<int>(panel.width * scale), static_cast<int>(panel.height * scale),
                  QImage::Format_ARGB32_Premultiplied);
}

inline void draw(QImage& image, const ui::DisplayItem& list, double scale) {
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ui::qt::QtCanvas canvas(painter, ui::qt::QtFontEngine::shared(), scale, image.size());
    list.draw(canvas);
}

}  // namespace quorlix::bench
