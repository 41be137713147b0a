#pragma once
// Where a display list draws: an abstract canvas in root-view points. The Qt renderer
// (ui/qt/qt_canvas.h) draws with QPainter into an image or a window.
//
// State (transform, opacity, clip) is saved and restored as with QPainter. Layers are
// offscreen surfaces: everything drawn between `beginLayer` and `endLayer` is composited at
// `endLayer` with the layer's effects (group opacity, antialiased clip, mask, blur,
// saturation, shadow). Between `beginMask` and `endLayer` the drawing becomes the layer's
// mask: only its alpha counts.

#include "platform/image.h"
#include "ui/color.h"
#include "ui/display_list.h"
#include "ui/path.h"
#include "ui/shape.h"

#include <optional>

namespace quorlix::ui {

struct LayerStyle {
    double opacity = 1;
    std::optional<Path> clip;  // antialiased
    bool masked = false;
    double blurRadius = 0;
    bool blurOpaque = false;
    std::optional<double> saturation;
    std::optional<ShadowEffect> shadow;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void concat(const Transform& t) = 0;
    virtual void multiplyOpacity(double opacity) = 0;
    virtual void clip(const Path& path) = 0;  // aliased (exact for pixel-aligned rectangles)

    // `bounds`: root-space area the layer's content can cover (effects' margins excluded).
    virtual void beginLayer(const LayerStyle& style, const Rect& bounds) = 0;
    virtual void beginMask() = 0;
    virtual void endLayer() = 0;

    virtual void fill(const Path& path, const Paint& paint) = 0;
    virtual void stroke(const Path& path, const Paint& paint, const StrokeStyle& style) = 0;
    virtual void drawText(const TextRun& run, const Paint& paint) = 0;
    virtual void drawImage(const platform::Image& image, const Rect& destination, int interpolation) = 0;

    // True where native controls stand over their views (a window), which then draw only
    // their frame and leave the content to the control.
    virtual bool showsNativeViews() const { return false; }
};

}  // namespace quorlix::ui
