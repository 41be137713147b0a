#pragma once
// What the benchmarks draw into: an image of a panel at a scale, and a display list drawn
// into it as a window drew every frame before the damaged path (cleared first); and a window's
// drawing without the window, repainting only where frames differ.

#include "ui/damage.h"
#include "ui/display_list.h"
#include "ui/qt/qt_canvas.h"

#include <QImage>
#include <QPainter>
#include <QRegion>

#include <memory>

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

// A kept buffer of a panel at a scale, repainted where frames differ.
class Window {
public:
    Window(Size panel, double scale) : panel_(panel), scale_(scale), buffer_(panelImage(panel, scale)) {
        buffer_.fill(Qt::transparent);
    }

    // Shows `list`: repaints what differs from the list shown; answers the pixels repainted.
    double show(std::shared_ptr<const ui::DisplayItem> list) {
        const ui::Region damage =
            shown_ ? ui::damageBetween(*shown_, *list) : ui::Region(Rect{{0, 0}, panel_});
        const QRegion pixels = ui::qt::repaintRegion(buffer_, *list, scale_, damage);
        shown_ = std::move(list);
        double area = 0;
        for (const QRect& r : pixels) area += static_cast<double>(r.width()) * r.height();
        return area;
    }
    // Clears the whole panel and draws all of `list`, as every frame once did.
    void showWhole(const ui::DisplayItem& list) { draw(buffer_, list, scale_); }

private:
    Size panel_;
    double scale_;
    QImage buffer_;
    std::shared_ptr<const ui::DisplayItem> shown_;
};

}  // namespace quorlix::bench
