#pragma once
// Where a display list draws: an abstract canvas in root-view points. The Qt renderer
// (ui/qt/qt_canvas.h) draws with QPainter into an image or a window.
//
// State (transform, opacity, clip) is saved and restored as with QPainter. Layers are
// offscreen surfaces: everything drawn between `beginLayer` and `endLayer` is composited at
// `endLayer` with the layer's effects (group opacity, antialiased clip, mask, blur,
// saturation, shadow). Between `beginMask` and `endLayer` the drawing becomes the layer's
// mask: only its alpha counts. A layer with a content key may be kept: when the canvas still
// holds the result of a layer of the same key, `beginLayer` answers false and the caller skips
// the content (and its mask), but still ends the layer, which then draws the kept result.
//
// A canvas may paint only part of the root space (a window repainting what changed); it then
// tells that part (`visibleRegion`), and anything wholly outside may be skipped.

#include "platform/image.h"
#include "ui/color.h"
#include "ui/display_list.h"
#include "ui/path.h"
#include "ui/region.h"
#include "ui/shape.h"

#include <cstdint>
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
    // Non-zero: the key of everything the layer's content draws, relative to the layer's
    // bounds (equal keys draw equal pixels); the canvas may keep the layer's result under it.
    std::uint64_t contentKey = 0;
    // The identity of the item it draws: a kept result replaces that item's earlier one.
    std::uint64_t owner = 0;
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
    // Answers whether the content must be drawn (false: a kept result stands for it).
    virtual bool beginLayer(const LayerStyle& style, const Rect& bounds) = 0;
    virtual void beginMask() = 0;
    virtual void endLayer() = 0;

    // Drawing leaves the transform, opacity and clip as it found them: an item that changes
    // none of them draws without a save.
    virtual void fill(const Path& path, const Paint& paint) = 0;
    virtual void stroke(const Path& path, const Paint& paint, const StrokeStyle& style) = 0;
    virtual void drawText(const TextRun& run, const Paint& paint) = 0;
    virtual void drawImage(const platform::Image& image, const Rect& destination, int interpolation) = 0;
    // Draws the shadow that `outline`, filled with opacity `alpha`, casts (in the current space),
    // as a layer with that shadow would, without the layer.
    // `owner`: the identity of the item casting it (its kept shadow replaces the earlier one).
    virtual void drawShadow(const Path& outline, double alpha, const ShadowEffect& shadow,
                            std::uint64_t owner) = 0;

    // Whether the layer `style` (with the content key `key`) is worth keeping whole: false where
    // the owner's content changed since it was last drawn (a scrolling title under a shadow),
    // which is then drawn only where painted, with its effects' reach around it.
    virtual bool keepsLayer(const LayerStyle& style, std::uint64_t key) {
        (void)style;
        (void)key;
        return true;
    }

    // The part of the root space being painted, when it is not all of it.
    virtual std::optional<Region> visibleRegion() const { return std::nullopt; }

    // True where native controls stand over their views (a window), which then draw only
    // their frame and leave the content to the control.
    virtual bool showsNativeViews() const { return false; }
};

}  // namespace quorlix::ui
