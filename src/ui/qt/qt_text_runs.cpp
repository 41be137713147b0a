#include "ui/qt/qt_text_runs.h"

#include "platform/lru_cache.h"
#include "ui/qt/qt_canvas.h"

#include <QGlyphRun>
#include <QPainterPathStroker>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorlix::ui::qt {

namespace {

// Runs of glyphs as drawn: shaped once, kept by font, text and thickness: shaping costs more
// than drawing. Each cache counts what it holds: the glyphs and positions of a run, the path
// elements of an outline.
struct ShapedRun {
    std::string key;
    QtFontEngine::GlyphRuns glyphs;  // positioned from the run's origin
};

// The glyphs' outline and, for a weight the font lacks, the band its stroke adds: made when a
// run is first drawn with a gradient or a weight.
struct RunOutline {
    QPainterPath outline;
    QPainterPath thickening;
};

// What a value held by a cache weighs beyond its own bytes: the cache's list and index nodes,
// and a shared payload's header (an image's, a path's).
constexpr std::size_t entryOverhead = 160;

std::size_t pathBytes(const QPainterPath& path) {
    return static_cast<std::size_t>(path.elementCount()) * sizeof(QPainterPath::Element) + entryOverhead;
}

ShapedRun& shaped(const TextRun& run, QtFontEngine& fonts) {
    static auto* kept = new LruCache<std::string, ShapedRun>(  // main thread only
        1u << 20, [](const std::string& key, const ShapedRun& r) {
            // The key (also kept in the run), and each glyph's index and position.
            std::size_t glyphs = 0;
            for (const auto* list : {&r.glyphs.runs, &r.glyphs.pictures})
                for (const auto& g : *list) glyphs += static_cast<std::size_t>(g.glyphIndexes().size());
            return 2 * key.capacity() + sizeof(ShapedRun) +
                   static_cast<std::size_t>(r.glyphs.runs.size() + r.glyphs.pictures.size()) *
                       sizeof(QGlyphRun) +
                   glyphs * (sizeof(quint32) + sizeof(QPointF)) + entryOverhead;
        });
    std::string key = run.text;
    for (const double v : {static_cast<double>(run.font.face), static_cast<double>(run.font.weight),
                           run.font.size, run.embolden})
        key.append(reinterpret_cast<const char*>(&v), sizeof v);
    if (ShapedRun* found = kept->find(key)) return *found;
    ShapedRun made;
    made.key = key;
    made.glyphs = fonts.glyphRuns(run.font, run.text);
    return kept->insert(std::move(key), std::move(made));
}

// The run's outline and thickening, kept by the shaped run's key.
const RunOutline& outlineOf(const TextRun& run, const ShapedRun& shaped, QtFontEngine& fonts) {
    static auto* kept = new LruCache<std::string, RunOutline>(  // main thread only
        1u << 20, [](const std::string& key, const RunOutline& o) {
            return key.capacity() + pathBytes(o.outline) + pathBytes(o.thickening);
        });
    if (const RunOutline* found = kept->find(shaped.key)) return *found;
    RunOutline made;
    for (const QGlyphRun& glyphRun : shaped.glyphs.runs) {
        // The packaged face's outlines come from a copy of its file nothing draws with.
        const QRawFont raw = shaped.glyphs.packaged ? fonts.outlineFont(run.font) : glyphRun.rawFont();
        const QList<quint32> glyphs = glyphRun.glyphIndexes();
        const QList<QPointF> positions = glyphRun.positions();
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            made.outline.addPath(raw.pathForGlyph(glyphs[i]).translated(positions[i]));
    }
    if (run.embolden > 0) {
        // What stroking the outline with a pen of that width fills.
        QPainterPathStroker stroker;
        stroker.setWidth(run.embolden);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        made.thickening = stroker.createStroke(made.outline);
    }
    return kept->insert(shaped.key, std::move(made));
}

// Fills the run's outline (and its thickening) at the painter's origin.
void fillOutline(QPainter& p, const RunOutline& outline, const QBrush& brush) {
    p.fillPath(outline.outline, brush);
    if (!outline.thickening.isEmpty()) p.fillPath(outline.thickening, brush);
}

// A thickened run in one colour, drawn into a picture of its device pixels to an eighth of a
// pixel and then copied, as glyphs are: filling its outline every frame costs far more.
//
// Pictures are kept by run, colour, scale and the eighth of a pixel they stand at, but only
// one seen a second time: the frames of an animation (a spring's scale, a fade's colour, a
// slide's positions) each draw one that will not come again, and keeping them would fill the
// cache with frames while pushing out what stays. They are painted into one scratch image and
// copied out, so a kept picture holds only its pixels (a painted image keeps a paint engine).
class ThickenedRuns {
public:
    // The picture of the run and where its top-left pixel goes from the run's pixel origin;
    // valid until the next call.
    const QImage& picture(const TextRun& run, const ShapedRun& glyphs, QtFontEngine& fonts,
                          const QColor& color, double sx, double sy, int qx, int qy, QRect& source,
                          QPoint& offset) {
        std::string key = glyphs.key;
        for (const double v :
             {sx, sy, static_cast<double>(qx), static_cast<double>(qy), static_cast<double>(color.rgba())})
            key.append(reinterpret_cast<const char*>(&v), sizeof v);
        if (const Kept* found = kept_.find(key)) {
            offset = found->offset;
            source = found->image.rect();
            return found->image;
        }
        const RunOutline& outline = outlineOf(run, glyphs, fonts);
        const QRectF box = outline.outline.boundingRect().united(outline.thickening.boundingRect());
        const QTransform place = QTransform::fromTranslate(qx / 8.0, qy / 8.0).scale(sx, sy);
        const QRect bounds = place.mapRect(box).toAlignedRect().adjusted(-1, -1, 1, 1);
        const QSize size = bounds.size().expandedTo(QSize(1, 1));
        if (scratch_.width() < size.width() || scratch_.height() < size.height())
            scratch_ = QImage(size.expandedTo(scratch_.size()), QImage::Format_ARGB32_Premultiplied);
        source = QRect(QPoint(0, 0), size);
        {
            QPainter p(&scratch_);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(source, Qt::transparent);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.setRenderHint(QPainter::Antialiasing);
            p.setTransform(place * QTransform::fromTranslate(-bounds.left(), -bounds.top()));
            fillOutline(p, outline, color);
        }
        offset = bounds.topLeft();
        if (!seen_.find(key)) {
            seen_.insert(std::move(key), true);
            return scratch_;
        }
        const Kept& stored = kept_.insert(std::move(key), Kept{scratch_.copy(source), offset});
        source = stored.image.rect();
        return stored.image;
    }

    ThickenedRunCache kept() const { return {kept_.count(), kept_.bytes()}; }

private:
    struct Kept {
        QImage image;
        QPoint offset;
    };
    LruCache<std::string, Kept> kept_{
        2u << 20, [](const std::string& key, const Kept& k) {
            return key.capacity() + static_cast<std::size_t>(k.image.sizeInBytes()) + entryOverhead;
        }};
    // Keys drawn once and not kept (yet).
    LruCache<std::string, bool> seen_{
        64u << 10, [](const std::string& key, bool) { return key.capacity() + entryOverhead; }};
    QImage scratch_;
};

// Where the painter can draw, in the coordinates of its world transform from `origin`: its
// device and clip. Nothing when the transform cannot be undone.
std::optional<QRectF> drawableArea(const QPainter& p, QPointF origin) {
    QRectF area(0, 0, p.device()->width(), p.device()->height());
    if (p.hasClipping()) area &= p.worldTransform().mapRect(p.clipBoundingRect());
    bool invertible = false;
    const QTransform inverse = p.worldTransform().inverted(&invertible);
    if (!invertible) return std::nullopt;
    return inverse.mapRect(area).translated(-origin);
}

// Draws the glyphs of `run` that may show in `area` (from the run's origin). Qt makes the
// picture of every glyph of a run before it clips: a title of thousands of characters,
// scrolling behind a clip, would cost them all at every frame, and a new script's thousands
// of pictures at once. (Qt lays a text of several scripts out in hundreds of runs, some of
// a glyph or two.)
void drawGlyphsWithin(QPainter& p, QPointF origin, const QGlyphRun& run, const std::optional<QRectF>& area) {
    if (!area) {
        p.drawGlyphRun(origin, run);
        return;
    }
    // A glyph is placed at its left edge: its ink reaches right as far as the font's widest
    // glyph (a ligature of a whole phrase is several sizes wide), and left about its size (a
    // mark placed over the glyph before it); a size to spare.
    const QRawFont font = run.rawFont();
    const double size = std::max(font.pixelSize(), 1.0);
    const double left = area->left() - std::max(font.maxCharWidth(), size) - size;
    const double right = area->right() + 2 * size;
    const QList<QPointF> positions = run.positions();
    const auto shows = [&](const QPointF& at) { return at.x() >= left && at.x() <= right; };
    const auto shown = std::count_if(positions.begin(), positions.end(), shows);
    if (shown == positions.size()) {
        p.drawGlyphRun(origin, run);
        return;
    }
    if (shown == 0) return;
    const QList<quint32> glyphs = run.glyphIndexes();
    QList<quint32> shownGlyphs;
    QList<QPointF> shownPositions;
    shownGlyphs.reserve(shown);
    shownPositions.reserve(shown);
    for (qsizetype i = 0; i < positions.size(); ++i)
        if (shows(positions[i])) {
            shownGlyphs.append(glyphs[i]);
            shownPositions.append(positions[i]);
        }
    QGlyphRun part = run;
    part.setGlyphIndexes(shownGlyphs);
    part.setPositions(shownPositions);
    p.drawGlyphRun(origin, part);
}

// Draws the run's colour pictures (emoji) in their own colours, whatever the paint. Under a
// screen's scale (2x) they are drawn from a font of the device's size: Qt would draw a picture
// of the point size enlarged, blurred and a little smaller than its place.
void drawPictures(QPainter& p, QtFontEngine& fonts, const ShapedRun& glyphs, const TextRun& run) {
    if (glyphs.glyphs.pictures.isEmpty()) return;
    p.setPen(Qt::black);  // with no pen, nothing is drawn
    const QTransform world = p.worldTransform();
    const double scale = world.m11();
    // Only at a whole scale (a screen's): a scale in motion (a spring's) would make a font, and
    // decode its pictures, for every frame.
    const QPointF origin(run.origin.x, run.origin.y);
    if (world.type() != QTransform::TxScale || scale != world.m22() || scale <= 0 ||
        scale != std::round(scale)) {
        const auto area = drawableArea(p, origin);
        for (const QGlyphRun& pictures : glyphs.glyphs.pictures) drawGlyphsWithin(p, origin, pictures, area);
        return;
    }
    TextRun device = run;
    device.font.size *= scale;
    const ShapedRun& sized = shaped(device, fonts);  // `glyphs` may be gone now
    p.save();
    p.resetTransform();
    const QPointF at = world.map(origin);
    const auto area = drawableArea(p, at);
    for (const QGlyphRun& pictures : sized.glyphs.pictures) drawGlyphsWithin(p, at, pictures, area);
    p.restore();
}

ThickenedRuns& thickenedRuns() {
    static auto* runs = new ThickenedRuns;  // main thread only
    return *runs;
}

}  // namespace

ThickenedRunCache thickenedRunCache() { return thickenedRuns().kept(); }

void drawTextRun(QPainter& p, QtFontEngine& fonts, const TextRun& run, const Paint& paint) {
    ShapedRun& glyphs = shaped(run, fonts);
    if (paint.kind == Paint::Kind::solid && run.embolden <= 0) {
        p.setPen(QPen(toQColor(paint.color)));
        const QPointF origin(run.origin.x, run.origin.y);
        const auto area = drawableArea(p, origin);
        for (const QGlyphRun& glyphRun : glyphs.glyphs.runs) drawGlyphsWithin(p, origin, glyphRun, area);
        drawPictures(p, fonts, glyphs, run);
        return;
    }
    const QTransform& world = p.worldTransform();
    if (paint.kind == Paint::Kind::solid && world.type() <= QTransform::TxScale) {
        // Thickened symbols: copied from a picture of them, placed to an eighth of a pixel.
        const QPointF at = world.map(QPointF(run.origin.x, run.origin.y));
        const double fx = std::floor(at.x() * 8 + 0.5) / 8, fy = std::floor(at.y() * 8 + 0.5) / 8;
        const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
        QRect source;
        QPoint offset;
        const QImage& image = thickenedRuns().picture(run, glyphs, fonts, toQColor(paint.color), world.m11(),
                                                      world.m22(), static_cast<int>((fx - ix) * 8),
                                                      static_cast<int>((fy - iy) * 8), source, offset);
        p.save();
        p.resetTransform();
        p.drawImage(QPoint(ix, iy) + offset, image, source);
        p.restore();
        drawPictures(p, fonts, glyphs, run);
        return;
    }
    // The glyphs' outline, thickened by the embolden width, at the run's origin.
    QBrush brush = toBrush(paint);
    brush.setTransform(QTransform::fromTranslate(-run.origin.x, -run.origin.y));
    p.save();
    p.translate(run.origin.x, run.origin.y);
    fillOutline(p, outlineOf(run, glyphs, fonts), brush);
    p.restore();
    drawPictures(p, fonts, glyphs, run);
}

}  // namespace quorlix::ui::qt
