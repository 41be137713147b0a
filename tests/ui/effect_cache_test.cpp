// Kept effects: a result drawn from the cache shows what making it again shows, the cache
// stays within its bytes, and what changes shape is made again.
// (The QApplication comes from render_test.cpp's environment.)

#include "ui/qt/effect_cache.h"
#include "qt_test_support.h"
#include "ui/damage.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

namespace quorlix::ui {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace effect_cache_test {

constexpr Size canvas{200, 120};
constexpr double scale = 2;

QImage blank() {
    QImage image(static_cast<int>(canvas.width * scale), static_cast<int>(canvas.height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The whole canvas drawn with `cache`.
QImage drawn(const DisplayItem& list, qt::EffectCache& cache) {
    QImage image = blank();
    qt::repaintRegion(image, list, scale, Region(Rect{{0, 0}, canvas}), false, &cache);
    return image;
}

int largestDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = a.constScanLine(y);
        const auto* q = b.constScanLine(y);
        for (int i = 0; i < a.bytesPerLine(); ++i) worst = std::max(worst, std::abs(int(p[i]) - int(q[i])));
    }
    return worst;
}

const DisplayItem& render(ViewGraph& graph, const View& view) {
    return graph.update(view.frame({.maxWidth = infinity, .maxHeight = infinity}), canvas);
}

View card(const std::string& text) {
    return Text(text)
        .font(Font::system(12, FontWeight::bold))
        .foregroundStyle(Color::white)
        .padding(Edges::horizontal, 40)
        .padding(Edges::vertical, 20)
        .background(RoundedRectangle(12).fill(Color::indigo));
}

TEST(EffectCache, AKeptResultDrawsWhatMakingItAgainDraws) {
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    const struct {
        const char* name;
        View view;
    } cases[] = {
        {"blur", card("desenfocado").blur(6)},
        {"shadow of content",
         ZStack({card("sombra"), Circle().fill(Color::orange).frame({.width = 20, .height = 20})})
             .shadow(Color::black.opacity(0.6), 10, 0, 4)},
        {"kept layer", card("guardado").cachedLayer()},
        {"shadow of an outline",
         Capsule().fill(Color::black).frame({.width = 150, .height = 40}).shadow(Color::black, 12, 0, 6)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewGraph graph(fonts);
        const DisplayItem& list = render(graph, c.view);
        qt::EffectCache kept;
        const QImage made = drawn(list, kept);
        const std::size_t entries = kept.count();
        EXPECT_GT(entries, 0u);
        // Drawn again: from the cache, nothing new made, the same pixels.
        const QImage again = drawn(list, kept);
        EXPECT_EQ(kept.count(), entries);
        EXPECT_LE(largestDifference(made, again), 0);

        // A result made while only a corner of the canvas is painted still holds all of itself.
        qt::EffectCache fresh;
        QImage part = blank();
        const Rect middle = list.children.front().visualBounds();
        qt::repaintRegion(part, list, scale, Region(Rect{middle.midX() - 3, middle.midY() - 3, 6, 6}), false,
                          &fresh);
        EXPECT_LE(largestDifference(drawn(list, fresh), made), 1);
    }
}

TEST(EffectCache, ContentChangingFromFrameToFrameIsMadeWhereItChangedAndKeptOnceItSettles) {
    // A title scrolling under a shadow: each frame's shadow is made around what changed, not
    // over the whole content, and not kept; the window's pixels stay those of a full repaint.
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    auto view = [](double scroll) {
        return VStack({card("título que se desplaza").offset(scroll, 0), card("artista")})
            .shadow(Color::black.opacity(0.5), 4, 0, 2);
    };
    qt::EffectCache cache;
    ViewGraph graph(fonts);
    QImage window = blank();
    const DisplayItem* shown = &render(graph, view(0));
    qt::repaintRegion(window, *shown, scale, Region(Rect{{0, 0}, canvas}), false, &cache);
    const std::size_t settled = cache.insertions();
    EXPECT_GT(settled, 0u);
    auto list = std::make_shared<DisplayItem>(*shown);
    for (const double scroll : {0.5, 1.25, 2.0, 3.5}) {
        auto next = std::make_shared<DisplayItem>(render(graph, view(scroll)));
        qt::repaintRegion(window, *next, scale, damageBetween(*list, *next), false, &cache);
        list = next;
        qt::EffectCache fresh;
        EXPECT_LE(largestDifference(window, drawn(*list, fresh)), 1) << "at " << scroll;
    }
    EXPECT_EQ(cache.insertions(), settled) << "no result of the moving content is made whole";
    // Still again: the next frame keeps it, and one after draws from it.
    auto same = std::make_shared<DisplayItem>(render(graph, view(3.5)));
    drawn(*same, cache);
    const std::size_t kept = cache.insertions();
    EXPECT_GT(kept, settled);
    drawn(*same, cache);
    EXPECT_EQ(cache.insertions(), kept);

    EXPECT_FALSE(cache.contentChanged(5, 1)) << "first drawing";
    EXPECT_FALSE(cache.contentChanged(5, 1));
    EXPECT_TRUE(cache.contentChanged(5, 2));
    EXPECT_FALSE(cache.contentChanged(5, 2));
    EXPECT_FALSE(cache.contentChanged(6, 2)) << "owners are apart";
}

TEST(EffectCache, StaysWithinItsBytesDroppingTheLeastRecentlyUsed) {
    auto result = [](int side) {
        qt::EffectResult r;
        r.content.image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        return r;
    };
    const std::size_t one = static_cast<std::size_t>(result(32).bytes());  // 4 KiB
    qt::EffectCache cache(3 * one);
    cache.insert(1, 0, result(32));
    cache.insert(2, 0, result(32));
    cache.insert(3, 0, result(32));
    EXPECT_EQ(cache.bytes(), 3 * one);
    ASSERT_NE(cache.find(1), nullptr);  // now the most recently used
    cache.insert(4, 0, result(32));
    EXPECT_LE(cache.bytes(), cache.byteLimit());
    EXPECT_NE(cache.find(1), nullptr);
    EXPECT_EQ(cache.find(2), nullptr);  // the least recently used went
    EXPECT_NE(cache.find(4), nullptr);

    // Larger than the whole limit: not kept, nothing else dropped for it.
    EXPECT_EQ(cache.insert(5, 0, result(64)), nullptr);
    EXPECT_EQ(cache.count(), 3u);

    // A new result of an owner replaces its old one.
    cache.insert(6, 77, result(32));
    cache.insert(7, 77, result(32));
    EXPECT_EQ(cache.find(6), nullptr);
    EXPECT_NE(cache.find(7), nullptr);

    // A lower limit drops what no longer fits.
    cache.setByteLimit(one);
    EXPECT_LE(cache.bytes(), one);
    EXPECT_EQ(cache.count(), 1u);
}

TEST(EffectCache, AResultGoesWithAPictureDrawnIntoIt) {
    // A picture's pixels may come back at the same address holding another picture: a result
    // made from pixels that are gone is never drawn.
    qt::EffectCache cache;
    auto pixels = std::make_shared<const std::vector<std::uint8_t>>(64, 0);
    qt::EffectResult r;
    r.content.image = QImage(4, 4, QImage::Format_ARGB32_Premultiplied);
    r.pictures.push_back(pixels);
    cache.insert(9, 0, std::move(r));
    EXPECT_NE(cache.find(9), nullptr);
    pixels.reset();
    EXPECT_EQ(cache.find(9), nullptr);
    EXPECT_EQ(cache.count(), 0u);
    EXPECT_EQ(cache.bytes(), 0u);
}

TEST(EffectCache, AnOutlineOfAnotherShapeIsMadeAgainButAnotherLengthIsNot) {
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    auto pill = [](double width, double radius) {
        return RoundedRectangle(radius)
            .fill(Color::black)
            .frame({.width = width, .height = 50})
            .shadow(Color::black, 16, 0, 8);
    };
    qt::EffectCache cache;
    ViewGraph graph(fonts);
    drawn(render(graph, pill(150, 12)), cache);
    const std::size_t made = cache.count();
    // The same corners, longer sides: the shadow stretches what was made.
    const QImage longer = drawn(render(graph, pill(170, 12)), cache);
    EXPECT_EQ(cache.count(), made);
    // Rounder corners: made again (the old result of the same view gives way).
    drawn(render(graph, pill(170, 16)), cache);
    qt::EffectCache fresh;
    EXPECT_LE(largestDifference(drawn(render(graph, pill(170, 12)), fresh), longer), 1);
    EXPECT_GE(fresh.count(), 1u);
}

TEST(EffectCache, AStretchedOutlineShadowMatchesOneBlurredWhole) {
    // The nine-slice shadow of a long capsule, against the shadow of the same capsule cast as
    // content (through a layer and a full blur): alike to a couple of units.
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    const View capsule = Capsule().fill(Color::black).frame({.width = 160, .height = 40});
    ViewGraph a(fonts), b(fonts);
    qt::EffectCache cache;
    const QImage stretched = drawn(render(a, capsule.shadow(Color::black, 14, 0, 6)), cache);
    // A mask that keeps everything makes the shadow one of content.
    const QImage blurred = drawn(render(b, capsule.mask(Color::black).shadow(Color::black, 14, 0, 6)), cache);
    EXPECT_LE(largestDifference(stretched, blurred), 3);
}

}  // namespace effect_cache_test
}  // namespace
}  // namespace quorlix::ui
