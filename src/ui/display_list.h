#pragma once
// The resolved display list: what a rendered view tree draws, one item per view in the tree,
// with every frame, transform, opacity, effect, colour, text and symbol worked out. A canvas
// replays it; tests read it instead of pixels.
//
// Frames are layout frames in the root view's space (top-left, y-down, points). An item's
// `transform` (rotation, scale, offset, perspective) applies to it and to everything inside
// it, on top of the transforms of its ancestors.

#include "platform/image.h"
#include "ui/color.h"
#include "ui/font.h"
#include "ui/path.h"
#include "ui/shape.h"
#include "ui/shared_list.h"
#include "ui/types.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::ui {

class Canvas;
class Animation;
class AnyTransition;
struct Interaction;
struct EmbeddedView;
enum class Interpolation;

// A geometry effect (offset, rotation, scale, rotation in space) by its animatable parameters:
// the transform it makes for a view of `size`, in the view's own space.
class GeometryEffect {
public:
    virtual ~GeometryEffect() = default;
    virtual Transform transform(Size size, const AnimatableData& parameters) const = 0;
};

// How a text or a symbol shows a change of its content inside an animation: cross-fading
// (the default), rolling the changed digits (numeric text), replacing the symbol (shrinking
// the old one away and growing the new one), or at once.
struct ContentTransition {
    enum class Kind { opacity, numericText, symbolReplace, identity };
    Kind kind = Kind::opacity;
    bool countsDown = false;
    static ContentTransition opacity() { return {}; }
    static ContentTransition numericText(bool countsDown = false) { return {Kind::numericText, countsDown}; }
    static ContentTransition symbolReplace() { return {Kind::symbolReplace, false}; }
    static ContentTransition identity() { return {Kind::identity, false}; }
    friend bool operator==(const ContentTransition&, const ContentTransition&) = default;
};

// One run of glyphs of one font, drawn from `origin` on its baseline.
struct TextRun {
    ResolvedFont font;
    std::string text;
    Point origin;
    double width = 0;
    double embolden = 0;  // extra outline width, for symbol weights the icon font lacks
    // Where its glyphs draw, from its origin (before the embolden width), when known.
    std::optional<Rect> ink;
};

struct ShadowEffect {
    Color color;
    double radius = 0;
    double x = 0;
    double y = 0;
};

struct DisplayItem {
    enum class Kind { group, shape, text, symbol, image };

    Kind kind = Kind::group;
    const char* role = "";  // what produced it: "HStack", "padding", "Text", "Capsule", ...
    Identity identity;
    std::optional<std::uint64_t> explicitId;
    Rect frame;
    Transform transform;
    // The transform's source when a geometry effect made it (animated by its parameters).
    std::shared_ptr<const GeometryEffect> effect;
    AnimatableData effectParameters;
    // The animation of the transaction in force where the view was built (none: changes jump).
    std::shared_ptr<const Animation> animation;
    // How the view enters and leaves (set by `transition`).
    std::shared_ptr<const AnyTransition> transition;

    // Effects on the item and its children, each made by one modifier.
    double opacity = 1;
    std::optional<Path> clip;
    std::shared_ptr<const ShapeModel> clipShape;  // the shape `clip` was made from, if any
    bool clipAntialiased = true;
    std::shared_ptr<DisplayItem> mask;
    std::optional<ShadowEffect> shadow;
    double blurRadius = 0;
    bool blurOpaque = false;
    std::optional<double> saturation;
    // Drawn once into an image that is kept while what the subtree draws stays the same
    // (set by `cachedLayer`).
    bool cachesLayer = false;
    std::optional<Path> contentShape;
    std::string help;
    // What the view does with pointer events and drops (absent while disabled).
    std::shared_ptr<const Interaction> interaction;
    // A native control drawn over the item by a window host (a text field).
    std::shared_ptr<const EmbeddedView> embedded;
    // A removed view still drawn while it leaves: seen, never hit.
    bool inert = false;
    // Which render drew this subtree: an item that draws as it did in an earlier render, its
    // subtree included, keeps that render's stamp, so two items with the same nonzero stamp
    // draw the same and a comparison need not look inside them. 0: unknown (compare).
    std::uint64_t stamp = 0;
    // The bounds of what the subtree draws, worked out for the stamp beside them: a subtree
    // that later lists share is not measured again.
    struct BoundsMemo {
        Rect content;
        std::uint64_t stamp = 0;
    };
    mutable BoundsMemo boundsMemo;

    // Shapes: the outline and how it is painted.
    std::shared_ptr<const ShapeModel> shape;
    Path path;
    std::optional<Paint> fill;
    std::optional<Paint> strokePaint;
    StrokeStyle stroke;
    bool strokeInside = false;

    // Text and symbols.
    std::string text;    // the whole text as given
    std::string symbol;  // the symbol name
    bool symbolMissing = false;
    bool truncated = false;
    double textScale = 1;  // the factor the text was shrunk by
    std::vector<TextRun> runs;
    std::optional<Paint> textPaint;
    ContentTransition contentTransition;

    // Pictures.
    platform::Image image;
    Rect imageRect;
    int interpolation = 2;

    // Shared with the copies of this item until one of them changes its children.
    SharedList<DisplayItem> children;

    // Queries for tests and tools: depth-first, this item first.
    const DisplayItem* find(const std::function<bool(const DisplayItem&)>& match) const;
    std::vector<const DisplayItem*> findAll(const std::function<bool(const DisplayItem&)>& match) const;
    const DisplayItem* findText(std::string_view text) const;
    const DisplayItem* findSymbol(std::string_view name) const;
    const DisplayItem* findRole(std::string_view role) const;
    template <class T>
    const DisplayItem* findId(const T& value) const {
        const std::uint64_t h = detail::idHash(value);
        return find([h](const DisplayItem& i) { return i.explicitId == h; });
    }
    // The frame as drawn: through this item's transform and those of `ancestors` (outermost
    // first), which the caller collects (see `path`).
    std::vector<const DisplayItem*> pathTo(const DisplayItem* target) const;
    Rect drawnFrame(const DisplayItem* target) const;
    std::size_t count() const;
    // The item of an identity, or null.
    const DisplayItem* findIdentity(Identity identity) const;

    bool needsLayer() const;
    // Visual bounds in the parent's space (this item's transform and effect margins included).
    Rect visualBounds() const;

    // Draws the item and its subtree. Where the canvas paints only part of the root space
    // (`Canvas::visibleRegion`), subtrees wholly outside that part are skipped.
    void draw(Canvas& canvas) const;
};

// How far a blur or a shadow of `radius` spreads beyond what casts it, in points.
double effectOutset(double radius);
// Where the glyphs of a run may draw: generously around its advance and line, since glyphs
// may overhang both.
Rect runBounds(const TextRun& run);

}  // namespace quorlix::ui
