// Pixels drawn by the Qt renderer: fills, clips, images, shadows, blur, masks and text.

#include "qt_test_support.h"
#include "ui/qt/qt_effects.h"
#include "ui/text_layout.h"
#include "ui/ui.h"

#include <QGlyphRun>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <thread>

namespace quorlix::ui {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace render_test {

using testing::pixel;

[[maybe_unused]] ::testing::Environment* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new testing::QtApplication);

View square(const Color& c, double side) { return c.frame({.width = side, .height = side}); }

platform::Image picture(int w, int h, const std::function<QColor(int x, int y)>& color) {
    std::vector<std::uint8_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QColor c = color(x, y);
            px.insert(px.end(), {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                 static_cast<std::uint8_t>(c.blue()), static_cast<std::uint8_t>(c.alpha())});
        }
    return *platform::Image::fromRGBA(w, h, std::move(px));
}

// Whether some pixel of row y between x0 and x1 is partly covered (an antialiased edge).
bool softEdgeInRow(const QImage& img, int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x) {
        const int a = pixel(img, x, y).alpha();
        if (a > 10 && a < 245) return true;
    }
    return false;
}

// How many pixels are not wholly transparent.
std::size_t coveredPixels(const QImage& img) {
    std::size_t covered = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) covered += pixel(img, x, y).alpha() > 0;
    return covered;
}

TEST(Render, FillsACapsuleWithAntialiasedEnds) {
    // A 100 × 40 capsule centred in 120 × 60: from (10, 10) to (110, 50).
    const QImage img =
        qt::renderImage(Capsule().fill(Color::red).frame({.width = 100, .height = 40}), {120, 60}, 1);
    EXPECT_EQ(pixel(img, 60, 30), QColor(255, 69, 58));
    EXPECT_EQ(pixel(img, 12, 30).alpha(), 255);  // inside the round end
    EXPECT_EQ(pixel(img, 11, 11).alpha(), 0);    // beyond the round end's corner
    EXPECT_EQ(pixel(img, 5, 30).alpha(), 0);
    // Along the round end the edge is antialiased.
    EXPECT_TRUE(softEdgeInRow(img, 15, 10, 30));
}

// The canvas covers rounded rectangles and capsules itself: pixel for pixel within a few
// levels of Qt's own fill of the same outline, under the same opacity, clip and visible area,
// and nothing outside what may be painted.
TEST(Render, RoundedBoxesCoverThePixelsQtsOutlineFillDoes) {
    struct Case {
        const char* name;
        Rect box;
        double radius;
        double scale;
        Point offset;
        double opacity;
        bool clipToCircle;
        std::optional<QRect> visible;  // device pixels
    };
    const Case cases[] = {
        {"capsule at 2x, off the pixel grid", {10.3, 7.77, 95, 4}, 2, 2, {0.25, 0.1}, 1, false, {}},
        {"thin bar", {3.2, 2.6, 2, 9}, 1, 2, {0, 0}, 1, false, {}},
        {"rounded card at 1x, faded", {4.5, 4.5, 80, 30}, 8, 1, {0.4, 0.6}, 0.5, false, {}},
        {"tiny radius at 3x", {1.1, 1.1, 20, 12}, 0.3, 3, {0, 0}, 1, false, {}},
        {"capsule clipped by a circle", {2.3, 10.4, 100, 20}, 10, 2, {0, 0}, 1, true, {}},
        {"only part of it repainted", {2.4, 2.4, 60, 24}, 12, 2, {0, 0}, 1, false, QRect(10, 8, 35, 30)},
        {"large card at 2x, faded", {5.3, 3.7, 110, 40}, 9, 2, {0.1, 0}, 0.6, false, {}},
        {"part of a large card repainted",
         {2.4, 2.4, 110, 40},
         12,
         2,
         {0, 0},
         1,
         false,
         QRect(10, 8, 150, 60)},
        {"short wide capsule at 2x, clipped by a circle",
         {1.6, 30.3, 115, 7.5},
         3.75,
         2,
         {0, 0},
         1,
         true,
         {}},
    };
    const Color color(0.9, 0.4, 0.2, 0.8);
    const QSize size(240, 90);
    const QColor ground(10, 20, 30, 255);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Path outline;
        outline.addRoundedRect(c.box, c.radius, false);
        Path circle;
        circle.addEllipse({20, 0, 60, 60});

        QImage ours(size, QImage::Format_ARGB32_Premultiplied);
        ours.fill(ground);
        {
            QPainter painter(&ours);
            if (c.visible) painter.setClipRect(*c.visible);
            qt::QtCanvas canvas(painter, qt::QtFontEngine::shared(), c.scale, size);
            if (c.visible) canvas.setVisibleArea(*c.visible);
            canvas.concat(Transform::translation(c.offset.x, c.offset.y));
            canvas.multiplyOpacity(c.opacity);
            if (c.clipToCircle) canvas.clip(circle);
            canvas.fill(outline, Paint::solid(color));
        }
        QImage qts(size, QImage::Format_ARGB32_Premultiplied);
        qts.fill(ground);
        {
            QPainter painter(&qts);
            painter.setRenderHint(QPainter::Antialiasing);
            if (c.visible) painter.setClipRect(*c.visible);
            painter.scale(c.scale, c.scale);
            painter.translate(c.offset.x, c.offset.y);
            painter.setOpacity(c.opacity);
            if (c.clipToCircle) painter.setClipPath(qt::toQPainterPath(circle), Qt::IntersectClip);
            painter.fillPath(qt::toQPainterPath(outline), QColor::fromRgbF(0.9f, 0.4f, 0.2f, 0.8f));
        }
        int worst = 0;
        long long oursTotal = 0, qtsTotal = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QRgb a = ours.pixel(x, y), b = qts.pixel(x, y);
                for (const int shift : {0, 8, 16})
                    worst = std::max(worst, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
                oursTotal += qRed(a);
                qtsTotal += qRed(b);
                if (c.visible && !c.visible->contains(x, y)) {
                    ASSERT_EQ(a, ground.rgba()) << x << "," << y;
                }
            }
        EXPECT_LE(worst, 24);
        EXPECT_NEAR(double(oursTotal), double(qtsTotal), 0.001 * double(qtsTotal));
    }
}

// An item's own opacity, transform and clip end with it: the square drawn after it is drawn
// as though it were not there.
TEST(Render, AnItemsOwnStateEndsWithIt) {
    const std::vector<std::pair<const char*, View>> before = {
        {"faded", square(Color::blue, 20).opacity(0.5)},
        {"moved", square(Color::blue, 20).offset(0, -40)},
        {"turned", square(Color::blue, 20).rotationEffect(Angle::degrees(90))},
        {"scaled", square(Color::blue, 20).scaleEffect(0.5)},
        {"clipped", square(Color::blue, 20).clipShape(Circle())},
        {"faded and clipped", HStack({square(Color::blue, 20).opacity(0.5)}).clipShape(Circle())},
    };
    for (const auto& [name, item] : before) {
        const QImage img =
            qt::renderImage(HStack({.spacing = 0}, {item, square(Color::red, 20)}), {40, 20}, 1);
        int wrong = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 21; x < 40; ++x) wrong += pixel(img, x, y) != QColor(255, 69, 58);
        EXPECT_EQ(wrong, 0) << name;
    }
}

TEST(Render, DrawsAtTheRequestedScale) {
    const QImage img = qt::renderImage(square(Color::white, 10), {20, 20}, 2);
    EXPECT_EQ(img.size(), QSize(40, 40));
    EXPECT_EQ(pixel(img, 10, 10).alpha(), 255);  // the square covers (5, 5) to (15, 15) in points
    EXPECT_EQ(pixel(img, 9, 9).alpha(), 0);
    EXPECT_EQ(pixel(img, 29, 29).alpha(), 255);
    EXPECT_EQ(pixel(img, 30, 30).alpha(), 0);
}

TEST(Render, ClipsAnImageToACircleWithSoftEdges) {
    const QImage img = qt::renderImage(Image(picture(40, 40, [](int, int) { return QColor(0, 0, 255); }))
                                           .resizable()
                                           .frame({.width = 40, .height = 40})
                                           .clipShape(Circle()),
                                       {40, 40}, 2);
    EXPECT_EQ(pixel(img, 40, 40), QColor(0, 0, 255));
    EXPECT_EQ(pixel(img, 2, 2).alpha(), 0);
    EXPECT_EQ(pixel(img, 77, 77).alpha(), 0);
    // Where the circle crosses pixels, the clip is antialiased.
    EXPECT_TRUE(softEdgeInRow(img, 12, 0, 40));
}

TEST(Render, AspectFillCropsAWideImageToItsFrame) {
    // Left half red, right half green, 80 × 40, filled into a clipped 40 × 40 frame.
    const auto halves =
        picture(80, 40, [](int x, int) { return x < 40 ? QColor(255, 0, 0) : QColor(0, 255, 0); });
    const QImage img = qt::renderImage(
        Image(halves).resizable().aspectRatio(ContentMode::fill).frame({.width = 40, .height = 40}).clipped(),
        {80, 40}, 1);
    // The frame spans x 20 to 60; the picture's middle shows: red then green.
    EXPECT_EQ(pixel(img, 25, 20), QColor(255, 0, 0));
    EXPECT_EQ(pixel(img, 55, 20), QColor(0, 255, 0));
    EXPECT_EQ(pixel(img, 10, 20).alpha(), 0);
    EXPECT_EQ(pixel(img, 70, 20).alpha(), 0);
}

TEST(Render, CastsAShadowBelowTheView) {
    // A 20 × 20 white square centred in 60 × 60: from (20, 20) to (40, 40).
    const QImage sharp =
        qt::renderImage(square(Color::white, 20).shadow(Color::black, 0, 0, 10), {60, 60}, 1);
    EXPECT_EQ(pixel(sharp, 30, 30), QColor(255, 255, 255));
    EXPECT_EQ(pixel(sharp, 30, 45), QColor(0, 0, 0));
    EXPECT_EQ(pixel(sharp, 30, 55).alpha(), 0);
    EXPECT_EQ(pixel(sharp, 30, 15).alpha(), 0);

    const QImage soft = qt::renderImage(square(Color::white, 20).shadow(Color::black, 8, 0, 10), {60, 60}, 1);
    const int near = pixel(soft, 30, 44).alpha(), far = pixel(soft, 30, 53).alpha();
    EXPECT_GT(near, far);
    EXPECT_GT(far, 0);
    EXPECT_LT(near, 255);
}

TEST(Render, ShadowsOfContentAtEveryRadius) {
    // A disc and a bar, antialiased, in a clear image, far enough from its edges for the widest
    // shadow to fit.
    auto content = [](QPoint shift) {
        QImage image(192, 192, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 90, 230));
        p.translate(shift + QPoint(48, 48));
        p.drawEllipse(QRectF(20.3, 18.6, 21.5, 17.2));
        p.drawRect(QRectF(44.5, 30, 7, 21.25));
        return image;
    };
    const QImage image = content({});
    const QColor colour(10, 200, 255, 128);
    struct Case {
        double sigma;
        int factor;
    };
    for (const Case c : {Case{0.25, 1}, Case{0.5, 1}, Case{2, 1}, Case{14, 4}}) {
        SCOPED_TRACE(c.sigma);
        const QImage shadow = qt::shadowOf(image, c.sigma, colour, c.factor);
        ASSERT_EQ(shadow.size(), image.size() / c.factor);
        double mass = 0, cast = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) mass += pixel(image, x, y).alphaF();
        for (int y = 0; y < shadow.height(); ++y)
            for (int x = 0; x < shadow.width(); ++x)
                cast += pixel(shadow, x, y).alphaF() * c.factor * c.factor;
        // The blur spreads the content's coverage without losing or adding any.
        EXPECT_NEAR(cast, mass * colour.alphaF(), mass * 0.02);
        // Under a pixel nothing spreads (the coverage above is all there is to check).
        if (c.sigma < 0.5 + 1e-9) continue;
        // The same content a whole block of the reduction further casts the same shadow further.
        const QImage moved = qt::shadowOf(content({8, 4 * c.factor}), c.sigma, colour, c.factor);
        for (int y = 0; y + 4 < shadow.height(); ++y)
            for (int x = 0; x + 8 / c.factor < shadow.width(); ++x)
                ASSERT_EQ(moved.pixel(x + 8 / c.factor, y + 4), shadow.pixel(x, y)) << x << "," << y;
        // A blur spreads as far across as down: a square's shadow is the same turned a quarter.
        QImage block(64, 64, QImage::Format_ARGB32_Premultiplied);
        block.fill(Qt::transparent);
        QPainter(&block).fillRect(QRect(24, 24, 16, 16), Qt::black);
        const QImage spread = qt::shadowOf(block, c.sigma, Qt::black, c.factor);
        for (int y = 0; y < spread.height(); ++y)
            for (int x = 0; x < spread.width(); ++x)
                ASSERT_NEAR(qAlpha(spread.pixel(x, y)), qAlpha(spread.pixel(y, x)), 1) << x << "," << y;
        EXPECT_GT(qAlpha(spread.pixel(23 / c.factor, 32 / c.factor)), 0);
    }
}

TEST(Render, ThickenedSymbolsKeepWhatStaysNotEachFrameOfAnAnimation) {
    const View symbol =
        Symbol("play.fill").font(Font::system(20, FontWeight::bold)).foregroundStyle(Color::white);
    const auto before = qt::thickenedRunCache();
    // A spring's frames: the symbol a little larger each time.
    for (int frame = 0; frame < 60; ++frame)
        qt::renderImage(symbol.scaleEffect(0.8 + frame * 0.003), {40, 40}, 2);
    const auto animated = qt::thickenedRunCache();
    EXPECT_LE(animated.count, before.count + 1) << "a picture kept for each frame";

    // At rest it is kept, and drawn from the kept picture as it was drawn before.
    const QImage first = qt::renderImage(symbol, {40, 40}, 2);
    const QImage second = qt::renderImage(symbol, {40, 40}, 2);
    const QImage third = qt::renderImage(symbol, {40, 40}, 2);
    EXPECT_EQ(qt::thickenedRunCache().count, animated.count + 1);
    EXPECT_EQ(first, second);
    EXPECT_EQ(second, third);
    EXPECT_GT(pixel(first, 40, 40).alpha(), 0);
    // What it weighs counts at least the pixels it covers, 4 bytes each.
    EXPECT_GE(qt::thickenedRunCache().bytes, animated.bytes + coveredPixels(first) * 4);
}

TEST(Render, SymbolOutlinesDoNotDependOnWhatWasDrawnBefore) {
    // Outlines (a thickened symbol's picture, a gradient's fill) drawn after plain glyphs of the
    // same font at fractional positions, against those of a face nothing was drawn with: the
    // icon font has one file, so another weight opens that file apart. The size is one no
    // other test draws, so nothing is kept for it yet.
    const ResolvedFont drawn{Typeface::symbols, 400, 23.3};
    const ResolvedFont apart{Typeface::symbols, 401, 23.3};
    const std::string bolt = "\xee\xa8\x8b", heart = "\xee\xa1\xbd";
    auto draw = [](const TextRun& run, const Paint& paint) {
        QImage image(50, 50, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        qt::QtCanvas canvas(painter, qt::QtFontEngine::shared(), 1, image.size());
        canvas.drawText(run, paint);
        painter.end();
        return image;
    };
    Paint gradient = Paint::solid(Color::white);
    gradient.kind = Paint::Kind::linear;
    gradient.stops = {{Color::white, 0}, {Color::red, 1}};
    gradient.start = {0, 10};
    gradient.end = {0, 40};
    const struct {
        const char* what;
        std::string text;
        double embolden;
        Paint paint;
    } cases[] = {{"thickened", bolt, 0.8, Paint::solid(Color::white)}, {"gradient", heart, 0, gradient}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const double fraction : {0.25, 0.5, 0.75})
            draw(TextRun{drawn, c.text, {10 + fraction, 40}, 0, 0, std::nullopt}, Paint::solid(Color::white));
        const QImage after = draw(TextRun{drawn, c.text, {10, 40}, 0, c.embolden, std::nullopt}, c.paint);
        const QImage fresh = draw(TextRun{apart, c.text, {10, 40}, 0, c.embolden, std::nullopt}, c.paint);
        EXPECT_GT(coveredPixels(fresh), 50u);
        EXPECT_TRUE(after == fresh) << "the outline moved with the glyphs drawn before it";
    }
}

TEST(Render, ALayerInsideAnotherLandsWhereItsContentIs) {
    // A clipped shape (a layer) inside a shadow (another), away from the canvas's corner.
    const QImage img = qt::renderImage(RoundedRectangle(8)
                                           .fill(Color::red)
                                           .frame({.width = 100, .height = 40})
                                           .clipShape(Capsule())
                                           .shadow(Color::black.opacity(0), 6, 0, 2)
                                           .padding(Edges::all, 30),
                                       {160, 100}, 1);
    for (int x = 40; x < 110; x += 7)
        for (int y = 34; y < 66; y += 5) EXPECT_EQ(pixel(img, x, y), QColor(255, 69, 58)) << x << ", " << y;
    EXPECT_EQ(pixel(img, 20, 50).alpha(), 0);
}

TEST(Render, BlursALayerBeyondItsBounds) {
    const QImage plain = qt::renderImage(square(Color::white, 20), {60, 60}, 1);
    const QImage blurred = qt::renderImage(square(Color::white, 20).blur(8), {60, 60}, 1);
    EXPECT_EQ(pixel(plain, 16, 30).alpha(), 0);
    EXPECT_GT(pixel(blurred, 16, 30).alpha(), 0);    // spread outside the square
    EXPECT_LT(pixel(blurred, 21, 30).alpha(), 255);  // and softened inside its edge
    EXPECT_GT(pixel(blurred, 30, 30).alpha(), pixel(blurred, 21, 30).alpha());
    EXPECT_EQ(pixel(blurred, 0, 0).alpha(), 0);
}

TEST(Render, GroupOpacityFadesOverlapsAsOne) {
    const QImage img =
        qt::renderImage(ZStack({square(Color::red, 40), square(Color::red, 20)}).opacity(0.5), {40, 40}, 1);
    // Overlap and single layer alike: half transparent, not 75 % opaque where they overlap.
    EXPECT_NEAR(pixel(img, 20, 20).alpha(), 128, 2);
    EXPECT_NEAR(pixel(img, 2, 2).alpha(), 128, 2);
}

TEST(Render, SaturationZeroTurnsColoursGray) {
    const QImage img = qt::renderImage(square(Color::red, 20).saturation(0), {20, 20}, 1);
    const QColor c = pixel(img, 10, 10);
    EXPECT_EQ(c.red(), c.green());
    EXPECT_EQ(c.green(), c.blue());
    EXPECT_GT(c.red(), 40);
}

TEST(Render, AGradientMaskFadesTheContent) {
    const QImage img = qt::renderImage(
        square(Color::white, 40)
            .mask(LinearGradient({Color::black, Color::clear}, UnitPoint::leading, UnitPoint::trailing)),
        {40, 40}, 1);
    EXPECT_GT(pixel(img, 1, 20).alpha(), 240);
    EXPECT_NEAR(pixel(img, 20, 20).alpha(), 128, 8);
    EXPECT_LT(pixel(img, 38, 20).alpha(), 15);
}

TEST(Render, StrokeBorderStaysInsideWhileStrokeStraddlesTheOutline) {
    // 40 × 40 centred in 60 × 60: the outline runs at x = 10.
    const QImage inside = qt::renderImage(
        Rectangle().strokeBorder(Color::white, 4).frame({.width = 40, .height = 40}), {60, 60}, 1);
    EXPECT_EQ(pixel(inside, 9, 30).alpha(), 0);
    EXPECT_EQ(pixel(inside, 11, 30).alpha(), 255);
    EXPECT_EQ(pixel(inside, 15, 30).alpha(), 0);
    const QImage centred =
        qt::renderImage(Rectangle().stroke(Color::white, 4).frame({.width = 40, .height = 40}), {60, 60}, 1);
    EXPECT_EQ(pixel(centred, 9, 30).alpha(), 255);
}

TEST(Render, DrawsTextAndSymbolsWithThePackagedFonts) {
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    // Inter's own metrics, not a system fallback's.
    EXPECT_NEAR(fonts.metrics({Typeface::text, 400, 100}).ascent, 96.875, 0.01);
    EXPECT_TRUE(qt::QtFontEngine::fileFor(Typeface::rounded, 600).endsWith("Quicksand-Bold.ttf"));
    EXPECT_TRUE(qt::QtFontEngine::fileFor(Typeface::monospaced, 900).endsWith("JetBrainsMono-ExtraBold.ttf"));

    auto inked = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += pixel(img, x, y).alpha() > 128;
        return n;
    };
    const QImage text = qt::renderImage(
        Text("Hola").font(Font::system(20, FontWeight::bold)).foregroundStyle(Color::white), {80, 30}, 1);
    EXPECT_GT(inked(text), 80);
    const QImage symbol = qt::renderImage(
        Symbol("heart.fill").font(Font::system(20)).foregroundStyle(Color::white), {30, 30}, 1);
    EXPECT_GT(inked(symbol), 100);
    // A heavier symbol covers more.
    const QImage bold = qt::renderImage(
        Symbol("heart.fill").font(Font::system(20, FontWeight::black)).foregroundStyle(Color::white),
        {30, 30}, 1);
    EXPECT_GT(inked(bold), inked(symbol));
}

// Text in other scripts, with emoji and with invisible format characters: every glyph drawn
// comes from a font that has it (glyph 0 is a missing glyph's box) and lands inside the width
// the text measures, colour emoji in colour, also in a text filled with a gradient (drawn from
// its glyphs' outlines, which colour emoji have none of); Latin, Greek and Cyrillic stay with
// the packaged face alone.
TEST(Render, DrawsEveryScriptWithAFontThatHasItInsideItsMeasure) {
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    const Font font = Font::system(15, FontWeight::semibold);
    const ResolvedFont resolved = ResolvedFont::of(font);
    struct Case {
        const char* what;
        std::string text;
        bool packaged;
        bool emoji = false;
    };
    const Case cases[] = {
        {"Latin", "Canción de la mañana…", true},
        {"Greek and Cyrillic", "Ελλάδα Москва", true},
        {"Japanese", "夜に駆ける", false},
        {"Korean", "사랑해", false},
        {"Hebrew", "שלום", false},
        {"Arabic", "مرحبا", false},
        {"Devanagari", "नमस्ते", false},
        {"emoji", "✨💔 \U0001F469\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466 \U0001F1F2\U0001F1FD", false,
         true},
        {"a title of all of them", "夜に駆ける 사랑해 שלום مرحبا नमस्ते ✨💔 Ελλάδα", false, true},
        {"format characters", "a\u200Db \u202Bשלום\u202C \u2066x\u2069 e\u0301", false},
    };
    const ShapeStyle fills[] = {
        Color::white, LinearGradient({Color::white, Color::gray50}, UnitPoint::leading, UnitPoint::trailing)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto drawn = fonts.glyphRuns(resolved, c.text);
        EXPECT_EQ(drawn.packaged, c.packaged);
        for (const QGlyphRun& run : drawn.runs + drawn.pictures)
            for (const quint32 glyph : run.glyphIndexes())
                EXPECT_NE(glyph, 0u) << run.rawFont().familyName().toStdString();

        // Drawn 20 points in from the left: nothing drawn left of it or past its measure, give
        // or take the edges' antialiasing.
        const double width = fonts.advance(resolved, c.text);
        for (const ShapeStyle& fill : fills) {
            const QImage image = qt::renderImage(
                Text(c.text)
                    .font(font)
                    .foregroundStyle(fill)
                    .lineLimit(1)
                    .fixedSize()
                    .padding(Edge::leading, 20)
                    .frame({.width = width + 60, .height = 50, .alignment = Alignment::leading}),
                {width + 60, 50}, 1);
            int left = image.width(), right = -1, coloured = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (const QColor p = pixel(image, x, y); p.alpha() > 0) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                        coloured += p.alpha() >= 200 && p.hsvSaturation() > 120;
                    }
            ASSERT_GE(right, 0) << "nothing drawn";
            EXPECT_GE(left, 20 - 2);
            EXPECT_LE(right, 20 + width + 2);
            EXPECT_GT(right - left, width / 2) << "the text's measure is far wider than what it draws";
            EXPECT_EQ(coloured > 40, c.emoji) << coloured << " pixels in colour";
        }
    }
}

// Emoji by Unicode's presentation rules: those another installed face also holds in black and
// white (DejaVu's 😀 and ☀, Inter's ❤, Noto Sans Symbols2's 👍) are drawn by the colour face
// as those it alone holds, at the size the line's emoji take beside its capitals (Pango's,
// from the colour face's own strike: about 1.45 times a capital's height), and side by side
// with no gap of their own; U+FE0E asks for the text face.
TEST(Render, DrawsEmojiInColourBesideTheLinesCapitals) {
    struct Case {
        const char* what;
        std::string text;  // after a capital H
        bool colour;
    };
    const Case cases[] = {
        {"grinning face", "\U0001F600", true},
        {"heart with U+FE0F", "\u2764\uFE0F", true},
        {"thumbs up", "\U0001F44D", true},
        {"sun with U+FE0F", "\u2600\uFE0F", true},
        {"cake and party popper", "\U0001F382\U0001F389", true},
        {"sun with U+FE0E", "\u2600\uFE0E", false},
        {"heart with U+FE0E", "\u2764\uFE0E", false},
    };
    for (const Case& c : cases) {
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(std::string(c.what) + " at " + std::to_string(scale) + "x");
            const QImage image = qt::renderImage(
                Text("H" + c.text).font(Font::system(13, FontWeight::semibold)).foregroundStyle(Color::white),
                {80, 30}, scale);
            // The capital: the first columns inked; the emoji: the pixels in colour.
            int capTop = image.height(), capBottom = -1, x = 0;
            const auto inked = [&](int col) {
                for (int y = 0; y < image.height(); ++y)
                    if (pixel(image, col, y).alpha() > 128) return true;
                return false;
            };
            while (x < image.width() && !inked(x)) ++x;
            for (; x < image.width() && inked(x); ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (pixel(image, x, y).alpha() > 128) {
                        capTop = std::min(capTop, y);
                        capBottom = std::max(capBottom, y);
                    }
            int top = image.height(), bottom = -1, coloured = 0;
            std::vector<bool> columns(static_cast<std::size_t>(image.width()));
            for (int y = 0; y < image.height(); ++y)
                for (int col = 0; col < image.width(); ++col)
                    if (const QColor p = pixel(image, col, y); p.alpha() >= 200 && p.hsvSaturation() > 120) {
                        ++coloured;
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                        columns[static_cast<std::size_t>(col)] = true;
                    }
            ASSERT_GE(capBottom, 0);
            EXPECT_EQ(coloured > 10 * scale * scale, c.colour) << coloured << " pixels in colour";
            if (!c.colour) continue;
            const double ratio = (bottom - top + 1.0) / (capBottom - capTop + 1.0);
            EXPECT_GE(ratio, scale > 1 ? 1.25 : 1.15);
            EXPECT_LE(ratio, 1.65);
            // The widest run of columns without colour between the first coloured one and the
            // last: no more than the pictures' own margins (Pango's 7 pixels between 🎂 and 🎉
            // at 2x); at 1x antialiasing alone takes a pixel or two of each edge.
            int gap = 0;
            for (int col = 0, run = 0, seen = 0; col < image.width(); ++col) {
                if (columns[static_cast<std::size_t>(col)]) {
                    if (seen) gap = std::max(gap, run);
                    seen = 1;
                    run = 0;
                } else {
                    ++run;
                }
            }
            if (scale > 1) {
                EXPECT_LE(gap, 0.3 * (bottom - top + 1) + 1);
            }
        }
    }
}

// A long title changing on and on (each measured whole and cut to its line, every prefix the
// cut tries measured too) leaves the font engine and the layout cache holding no more than
// their bounds, in Latin and in scripts Qt lays out.
TEST(Render, TheTextsKeptStayWithinTheirBytes) {
    qt::QtFontEngine fonts;
    TextLayoutCache layouts(fonts, 64u << 10);
    TextLayoutOptions o;
    o.font = Font::system(13, FontWeight::semibold);
    o.maxWidth = 220;
    o.lineLimit = 1;
    std::size_t measured = 0;
    for (int i = 0; i < 1000; ++i) {
        const bool latin = i % 10 != 0;
        std::string text = std::to_string(i) + " ";
        while (text.size() < (latin ? 5000u : 1500u))
            text += latin ? "Canción de la mañana " : "夜に駆ける 사랑해 ";
        measured += text.size();
        fonts.advance(ResolvedFont::of(o.font), text);
        fonts.inkBounds(ResolvedFont::of(o.font), text);
        layouts.layout(text, o);
        const auto kept = fonts.keptTexts();
        ASSERT_LE(kept.bytes, kept.byteLimit) << i;
        ASSERT_LE(layouts.bytes(), 64u << 10) << i;
    }
    // More went through than the bounds hold, and what is kept is counted.
    EXPECT_GT(measured, fonts.keptTexts().byteLimit);
    EXPECT_GT(fonts.keptTexts().bytes, 256u << 10);
}

// Texts prepared on another thread while the main thread lays out others: the main thread's
// glyphs then come from the same fonts as without the preparing, none missing.
TEST(Render, TextsArePreparedOffTheMainThread) {
    const std::vector<std::string> texts = {"ཀུན་ཏུ་བཟང་པོ", "မင်္ဂလာပါ", "नमस्ते \U0001F382", "東京 사랑해 שלום"};
    std::thread preparing([&] {
        for (const auto& text : texts) qt::QtFontEngine::prepareFor(text);
    });
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    const ResolvedFont font{Typeface::text, 600, 15};
    for (const auto& text : {"Ελλάδα مرحبا", "\u2728 x"}) fonts.glyphRuns(font, text);
    preparing.join();
    for (const auto& text : texts) {
        qt::QtFontEngine fresh;
        const auto prepared = fonts.glyphRuns(font, text), own = fresh.glyphRuns(font, text);
        ASSERT_EQ(prepared.runs.size() + prepared.pictures.size(), own.runs.size() + own.pictures.size())
            << text;
        for (const auto& run : prepared.runs + prepared.pictures)
            for (const quint32 glyph : run.glyphIndexes()) EXPECT_NE(glyph, 0u) << text;
    }
}

// A text laid out on another thread is drawn, measured and inked on the main thread exactly as
// the main thread would have laid it out, and is taken once; what waits is bounded.
TEST(Render, TextsLaidOutAheadAreThoseTheMainThreadWouldMake) {
    const ResolvedFont font{Typeface::text, 600, 15};
    std::string scripts = "Adelante ";
    while (scripts.size() < 12000) scripts += "夜に駆ける שלום مرحبا नमस्ते ✨💔 Ελλάδα ";
    const std::vector<std::string> texts = {"ཀུན་ཏུ་བཟང་པོ adelante", "مرحبا 👍🏽 adelante", scripts,
                                            "Ελλάδα adelante"};  // the last drawn by the face alone
    const auto before = qt::QtFontEngine::keptAhead();
    std::thread([&] {
        for (const auto& text : texts) qt::QtFontEngine::layOutAhead(text, font.face, font.weight);
    }).join();
    EXPECT_GT(qt::QtFontEngine::keptAhead().bytes, before.bytes);

    qt::QtFontEngine ahead, own;
    for (const auto& text : texts) {
        const double advance = ahead.advance(font, text);
        const Rect ink = ahead.inkBounds(font, text);
        const auto runs = ahead.glyphRuns(font, text);
        const auto ownRuns = own.glyphRuns(font, text);  // taken: laid out here
        EXPECT_DOUBLE_EQ(advance, own.advance(font, text)) << text;
        const Rect ownInk = own.inkBounds(font, text);
        for (const auto& [mine, theirs] : {std::pair(ink.x(), ownInk.x()), {ink.y(), ownInk.y()},
                                            {ink.width(), ownInk.width()}, {ink.height(), ownInk.height()}})
            EXPECT_DOUBLE_EQ(mine, theirs) << text;
        ASSERT_EQ(runs.runs.size(), ownRuns.runs.size()) << text;
        ASSERT_EQ(runs.pictures.size(), ownRuns.pictures.size()) << text;
        for (const auto& [mine, theirs] : {std::pair(&runs.runs, &ownRuns.runs), {&runs.pictures, &ownRuns.pictures}})
            for (qsizetype i = 0; i < mine->size(); ++i) {
                EXPECT_EQ((*mine)[i].glyphIndexes(), (*theirs)[i].glyphIndexes()) << text;
                EXPECT_EQ((*mine)[i].positions(), (*theirs)[i].positions()) << text;
                EXPECT_EQ((*mine)[i].rawFont().familyName(), (*theirs)[i].rawFont().familyName()) << text;
                EXPECT_EQ((*mine)[i].rawFont().pixelSize(), (*theirs)[i].rawFont().pixelSize()) << text;
            }
    }
    EXPECT_EQ(qt::QtFontEngine::keptAhead().taken, before.taken + 3);

    // Texts laid out ahead and never shown: the oldest give way.
    std::thread([&] {
        for (int i = 0; i < 80; ++i) {
            std::string text = std::to_string(i) + " 東 ";
            while (text.size() < 4000) text += "una canción larga ";
            qt::QtFontEngine::layOutAhead(text, font.face, font.weight);
            const auto kept = qt::QtFontEngine::keptAhead();
            ASSERT_LE(kept.bytes, kept.byteLimit) << i;
        }
    }).join();
    EXPECT_GT(qt::QtFontEngine::keptAhead().bytes, qt::QtFontEngine::keptAhead().byteLimit / 2);
}

// A line far wider than its window, seen through it at any place, shows what the whole line
// shows there: glyphs whose place is out of the window but whose ink reaches in (a wide
// ligature, a mark) are drawn.
TEST(Render, ALongLineSeenThroughANarrowWindowShowsWhatTheWholeLineShowsThere) {
    const Font font = Font::system(16);
    std::string line = "Principio ";
    for (int i = 0; i < 70; ++i) line += "\uFDFD n\u0303 ";  // ﷽ is several sizes wide
    for (int i = 0; i < 12; ++i) line += "canción de la mañana ";
    const auto lineView = [&](double shift) {
        return Text(line).font(font).foregroundStyle(Color::white).fixedSize().offset(-shift, 0);
    };
    const int height = 40;
    const int width = 16000;
    const QImage whole = qt::renderImage(
        lineView(0).frame({.width = width, .height = height, .alignment = Alignment::leading}), {width, height}, 1);
    int inked = 0;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) inked = pixel(whole, x, y).alpha() > 0 ? x : inked;
    ASSERT_GT(inked, 3000);  // the line is long, and all of it is in the picture
    ASSERT_LT(inked, width - 100);
    // Besides a few places, where a ﷽ begins left of the window by more than a size and its
    // ink reaches in.
    std::vector<int> shifts = {0, 37, 777, inked - 100};
    const auto runs = qt::QtFontEngine::shared().glyphRuns(ResolvedFont::of(font), line).runs;
    for (const QGlyphRun& run : runs)
        for (qsizetype i = 0; i < run.glyphIndexes().size(); i += 23)
            if (run.rawFont().boundingRect(run.glyphIndexes()[i]).width() > 3 * 16)
                shifts.push_back(static_cast<int>(run.positions()[i].x() + 1.5 * 16));
    ASSERT_GT(shifts.size(), 5u);
    for (const int shift : shifts) {
        const QImage window = qt::renderImage(
            lineView(shift).frame({.width = 120, .height = height, .alignment = Alignment::leading}).clipped(),
            {120, height}, 1);
        EXPECT_TRUE(window == whole.copy(shift, 0, 120, height).convertToFormat(window.format())) << shift;
    }
}

// Arabic letters join: the word's glyphs are not its letters' own (isolated) forms. A word
// written right to left reads from the right: its first letter is drawn rightmost.
TEST(Render, ShapesJoiningLettersAndOrdersRightToLeftWords) {
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    const ResolvedFont font{Typeface::text, 400, 20};
    const auto glyphsOf = [&](const std::string& text) {  // from left to right
        std::vector<std::pair<double, quint32>> placed;
        for (const QGlyphRun& run : fonts.glyphRuns(font, text).runs)
            for (qsizetype i = 0; i < run.glyphIndexes().size(); ++i)
                placed.emplace_back(run.positions()[i].x(), run.glyphIndexes()[i]);
        std::ranges::sort(placed);
        std::vector<quint32> glyphs;
        for (const auto& [x, glyph] : placed) glyphs.push_back(glyph);
        return glyphs;
    };
    const std::vector<quint32> word = glyphsOf("مرحبا");
    std::set<quint32> isolated;
    for (const char* letter : {"م", "ر", "ح", "ب", "ا"}) isolated.insert(glyphsOf(letter).at(0));
    EXPECT_EQ(std::set(word.begin(), word.end()).size(), 5u);
    EXPECT_NE(std::set(word.begin(), word.end()), isolated);

    // שלום: its last letter (a final mem) at the left end, its first at the right end.
    EXPECT_EQ(glyphsOf("שלום"), (std::vector{glyphsOf("ם").at(0), glyphsOf("ו").at(0), glyphsOf("ל").at(0),
                                             glyphsOf("ש").at(0)}));
}

TEST(Render, APlaceholderOfDashesStandsAtTheFiguresMiddle) {
    const Font thin = Font::system(46, FontWeight::thin);
    // The middle of the rows inked between two columns; below 0 when none is.
    const auto middle = [](const QImage& img, int from, int to) {
        int top = img.height(), bottom = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = from; x < to; ++x)
                if (pixel(img, x, y).alpha() > 128) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return bottom < 0 ? -1.0 : (top + bottom) / 2.0;
    };
    const QImage zero = qt::renderImage(Text("0").font(thin).foregroundStyle(Color::white), {60, 70}, 1);
    const double figures = middle(zero, 0, 60);
    struct Case {
        const char* text;
        bool atFigures;
    };
    // Only a line with neither letters nor figures stands for a number; "-3°" keeps its
    // font's hyphen.
    for (const Case& c : {Case{"--°", true}, Case{"-3°", false}}) {
        const QImage shown =
            qt::renderImage(Text(c.text).font(thin).foregroundStyle(Color::white), {140, 70}, 1);
        // The first hyphen: the first ten columns inked.
        int left = 0;
        while (left < shown.width() && middle(shown, left, left + 1) < 0) ++left;
        const double dash = middle(shown, left, left + 10);
        if (c.atFigures)
            EXPECT_NEAR(dash, figures, 1) << c.text;
        else
            EXPECT_GT(dash - figures, 1.5) << c.text;
    }
}

}  // namespace render_test
}  // namespace
}  // namespace quorlix::ui
