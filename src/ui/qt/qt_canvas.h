#pragma once
// The Qt canvas: draws a display list with QPainter into an image or a window. Points are
// mapped to device pixels by `scale` (2 for a 2x picture). Layers are offscreen images of the
// area their content covers (cut to the part being painted), composited with their effects when
// they end; a clip alone needs none. Blurs, shadows of content and cached layers are kept in an
// EffectCache and drawn from it while their content stays the same, and a shadow of a known
// outline is made from the outline's corners (ui/qt/qt_effects.h).
//
//     QImage image = ui::qt::renderImage(view, {360, 120}, 2);   // one-shot, for tools and tests
//
// Main thread only.

#include "ui/canvas.h"
#include "ui/environment.h"
#include "ui/qt/effect_cache.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/region.h"
#include "ui/view.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <memory>
#include <vector>

namespace quorlix::ui::qt {

class QtCanvas final : public Canvas {
public:
    // `painter` draws on a device of `deviceSize` pixels; the canvas sets its transform to
    // `scale` and its render hints.
    QtCanvas(QPainter& painter, QtFontEngine& fonts, double scale, QSize deviceSize);
    ~QtCanvas() override;
    // The point of the list's space drawn at the device's top-left corner (a window showing
    // part of its views); before anything is drawn.
    void setOrigin(Point origin);

    void save() override;
    void restore() override;
    void concat(const Transform& t) override;
    void multiplyOpacity(double opacity) override;
    void clip(const Path& path) override;
    bool beginLayer(const LayerStyle& style, const Rect& bounds) override;
    bool keepsLayer(const LayerStyle& style, std::uint64_t key) override;
    void beginMask() override;
    void endLayer() override;
    void fill(const Path& path, const Paint& paint) override;
    void stroke(const Path& path, const Paint& paint, const StrokeStyle& style) override;
    void drawText(const TextRun& run, const Paint& paint) override;
    void drawImage(const platform::Image& image, const Rect& destination, int interpolation) override;
    void drawShadow(const Path& outline, double alpha, const ShadowEffect& shadow,
                    std::uint64_t owner) override;
    bool showsNativeViews() const override { return showsNativeViews_; }
    std::optional<Region> visibleRegion() const override;
    // Set in a window whose text fields are native controls.
    void setShowsNativeViews(bool shows) { showsNativeViews_ = shows; }
    // Paints only `area` (device pixels) of the target: what lies wholly outside it is
    // skipped, and layers are cut to it. The painter should clip to it as well.
    void setVisibleArea(const QRegion& area);
    // Where kept layer results and shadows go (the shared cache by default).
    void setEffectCache(EffectCache& cache) { cache_ = &cache; }

private:
    bool fillOnce(QPainter& p, const QPainterPath& outline, const QColor& color, QRect area);
    bool fillRoundedBox(QPainter& p, const Path& path, const QColor& color);
    void blendScratch(QPainter& p, QImage scratch, const QRect& area);
    struct Layer {
        LayerStyle style;
        QImage image;
        QImage mask;
        QPoint origin;      // in the parent's device pixels (the root's or the enclosing layer's)
        QPoint rootOrigin;  // the same in the root's device pixels
        QTransform base;    // the parent's world transform at the layer's start
        double scale = 1;   // points to device pixels
        // The reductions its shadow and blur are made at (those of the whole layer, even when
        // only part of it is made).
        int shadowReduction = 1;
        int blurReduction = 1;
        std::unique_ptr<QPainter> painter;
        std::unique_ptr<QPainter> maskPainter;
        // A clip alone: drawn through the parent's painter, clipped (no image).
        QPainter* clipOnly = nullptr;
        // What must come out right in it (root device pixels): all of it, since its effects
        // reach from anywhere in it into what is painted.
        std::vector<QRect> needed;
        // A layer whose result may be kept: its key, the result found, and the pictures drawn.
        std::uint64_t contentKey = 0;
        const EffectResult* kept = nullptr;
        std::vector<std::weak_ptr<const void>> pictures;
    };
    QPainter& current();
    // The root-space device position of the current painter's pixel (0, 0).
    QPoint currentOrigin() const;
    // Whether a layer being drawn must be made whole (its result is kept).
    bool drawingWhole() const;
    // What must come out right where drawing goes now (root device pixels): what is painted,
    // or, inside a layer, all of that layer.
    const std::vector<QRect>& neededRects() const;
    // Whether what is drawn within `bounds` (in the current space) can show in those.
    bool reaches(const Rect& bounds);
    // Whether all that is painted (the visible area) lies inside `outline`, away from its
    // edges: a clip to it then changes nothing, and its fill covers everything.
    bool paintsInside(const Path& outline);
    void composite(QPainter& parent, const Layer& layer, const EffectResult& result);

    QPainter& root_;
    QtFontEngine& fonts_;
    QSize deviceSize_;
    double scale_;
    Point origin_;
    QRect visible_;  // the bounds of what is painted
    std::vector<QRect> visibleRects_;
    bool partial_ = false;
    EffectCache* cache_ = &EffectCache::shared();
    std::vector<std::unique_ptr<Layer>> layers_;
    bool showsNativeViews_ = false;
};

// Makes sure a QApplication exists (tools and tests that render without one; widgets need it).
void ensureGuiApplication();

// Renders a view proposed `size` points into a new image at `scale`, on a transparent ground.
QImage renderImage(const View& view, Size size, double scale, const EnvironmentValues& environment = {});
// Draws a display list of `size` points into a new image at `scale`, on a transparent ground.
QImage renderImage(const DisplayItem& list, Size size, double scale);
// Paints `region` (points) of `target`, an image at `scale` that shows an earlier list, so that
// it shows `list`: the region is cleared and the items meeting it drawn, clipped to it. The
// image shows the list from `origin` on. Returns the device pixels repainted.
QRegion repaintRegion(QImage& target, const DisplayItem& list, double scale, const Region& region,
                      bool showsNativeViews = false, EffectCache* cache = nullptr, Point origin = {});
// The device pixels (at `scale`, within `limit`) covering a region of points, with a pixel to
// spare on each side for antialiased edges; the device shows the points from `origin` on.
QRegion deviceRegion(const Region& region, double scale, const QRect& limit, Point origin = {});

// Qt conversions shared by the renderer.
QPainterPath toQPainterPath(const Path& path);
QTransform toQTransform(const Transform& t);
QColor toQColor(const Color& color);
QBrush toBrush(const Paint& paint);

// The pictures of thickened symbol runs the renderer keeps, and what they weigh (tests and
// benchmarks).
struct ThickenedRunCache {
    std::size_t count = 0;
    std::size_t bytes = 0;
};
ThickenedRunCache thickenedRunCache();

}  // namespace quorlix::ui::qt
