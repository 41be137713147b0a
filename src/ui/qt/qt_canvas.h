#pragma once
// The Qt canvas: draws a display list with QPainter into an image or a window. Points are
// mapped to device pixels by `scale` (2 for a 2x picture). Layers are offscreen images of the
// area their content covers, composited with their effects when they end.
//
//     QImage image = ui::qt::renderImage(view, {360, 120}, 2);   // one-shot, for tools and tests
//
// Main thread only.

#include "ui/canvas.h"
#include "ui/environment.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/view.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <memory>
#include <vector>

namespace quorlix::ui::qt {

class QtCanvas final : public Canvas {
public:
    // `painter` draws on a device of `deviceSize` pixels; the canvas sets its transform to
    // `scale` and its render hints.
    QtCanvas(QPainter& painter, QtFontEngine& fonts, double scale, QSize deviceSize);
    ~QtCanvas() override;

    void save() override;
    void restore() override;
    void concat(const Transform& t) override;
    void multiplyOpacity(double opacity) override;
    void clip(const Path& path) override;
    void beginLayer(const LayerStyle& style, const Rect& bounds) override;
    void beginMask() override;
    void endLayer() override;
    void fill(const Path& path, const Paint& paint) override;
    void stroke(const Path& path, const Paint& paint, const StrokeStyle& style) override;
    void drawText(const TextRun& run, const Paint& paint) override;
    void drawImage(const platform::Image& image, const Rect& destination, int interpolation) override;
    bool showsNativeViews() const override { return showsNativeViews_; }
    // Set in a window whose text fields are native controls.
    void setShowsNativeViews(bool shows) { showsNativeViews_ = shows; }

private:
    struct Layer {
        LayerStyle style;
        QImage image;
        QImage mask;
        QPoint origin;      // in the parent's device pixels (the root's or the enclosing layer's)
        QTransform base;    // the parent's world transform at the layer's start
        double scale = 1;   // points to device pixels
        std::unique_ptr<QPainter> painter;
        std::unique_ptr<QPainter> maskPainter;
    };
    QPainter& current();

    QPainter& root_;
    QtFontEngine& fonts_;
    QSize deviceSize_;
    std::vector<std::unique_ptr<Layer>> layers_;
    bool showsNativeViews_ = false;
};

// Makes sure a QApplication exists (tools and tests that render without one; widgets need it).
void ensureGuiApplication();

// Renders a view proposed `size` points into a new image at `scale`, on a transparent ground.
QImage renderImage(const View& view, Size size, double scale, const EnvironmentValues& environment = {});
// Draws a display list of `size` points into a new image at `scale`, on a transparent ground.
QImage renderImage(const DisplayItem& list, Size size, double scale);

// Qt conversions shared by the renderer.
QPainterPath toQPainterPath(const Path& path);
QTransform toQTransform(const Transform& t);

// Gaussian blur of a premultiplied ARGB32 image in place; `sigma` in pixels. With `opaque`
// the edges extend the border pixels instead of fading to transparent.
void gaussianBlur(QImage& image, double sigma, bool opaque = false);
void saturate(QImage& image, double amount);

}  // namespace quorlix::ui::qt
