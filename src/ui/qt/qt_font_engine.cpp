#include "ui/qt/qt_font_engine.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

#include <cmath>

namespace quorlix::ui::qt {

namespace {

struct WeightFile {
    int weight;
    const char* file;
};

const WeightFile interFiles[] = {
    {100, "/usr/share/fonts/opentype/inter/Inter-Thin.otf"},
    {200, "/usr/share/fonts/opentype/inter/Inter-ExtraLight.otf"},
    {300, "/usr/share/fonts/opentype/inter/Inter-Light.otf"},
    {400, "/usr/share/fonts/opentype/inter/Inter-Regular.otf"},
    {500, "/usr/share/fonts/opentype/inter/Inter-Medium.otf"},
    {600, "/usr/share/fonts/opentype/inter/Inter-SemiBold.otf"},
    {700, "/usr/share/fonts/opentype/inter/Inter-Bold.otf"},
    {800, "/usr/share/fonts/opentype/inter/Inter-ExtraBold.otf"},
    {900, "/usr/share/fonts/opentype/inter/Inter-Black.otf"},
};
const WeightFile roundedFiles[] = {
    {300, "/usr/share/fonts/truetype/quicksand/Quicksand-Light.ttf"},
    {400, "/usr/share/fonts/truetype/quicksand/Quicksand-Regular.ttf"},
    {500, "/usr/share/fonts/truetype/quicksand/Quicksand-Medium.ttf"},
    {700, "/usr/share/fonts/truetype/quicksand/Quicksand-Bold.ttf"},
};
const WeightFile monoFiles[] = {
    {100, "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Thin.ttf"},
    {200, "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-ExtraLight.ttf"},
    {300, "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Light.ttf"},
    {400, "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Regular.ttf"},
    {500, "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Medium.ttf"},
    {600, "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-SemiBold.ttf"},
    {700, "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Bold.ttf"},
    {800, "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-ExtraBold.ttf"},
};
const WeightFile symbolFiles[] = {
    {400, "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"},
};

template <std::size_t N>
QString nearest(const WeightFile (&files)[N], int weight) {
    // The installed file of the nearest weight; a heavier one on a tie (semibold over medium).
    const WeightFile* best = nullptr;
    for (const auto& f : files) {
        if (!QFile::exists(QString::fromLatin1(f.file))) continue;
        if (!best || std::abs(f.weight - weight) < std::abs(best->weight - weight) ||
            (std::abs(f.weight - weight) == std::abs(best->weight - weight) && f.weight > best->weight))
            best = &f;
    }
    return best ? QString::fromLatin1(best->file) : QString();
}

QRawFont openFont(Typeface face, int weight, double pixelSize) {
    const QString file = QtFontEngine::fileFor(face, weight);
    QRawFont raw;
    if (!file.isEmpty()) raw = QRawFont(file, pixelSize, QFont::PreferNoHinting);
    if (!raw.isValid()) {
        // A missing package: fall back to whatever the system offers rather than draw nothing.
        QFont f;
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
        f.setWeight(static_cast<QFont::Weight>(weight));
        raw = QRawFont::fromFont(f);
        raw.setPixelSize(pixelSize);
    }
    return raw;
}

// The glyphs of a run of UTF-8 text in `raw` and their advances, kerned.
struct LaidOut {
    QList<quint32> glyphs;
    QList<QPointF> advances;
};
LaidOut laidOut(const QRawFont& raw, std::string_view utf8) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    LaidOut out{raw.glyphIndexesForString(text), {}};
    out.advances = raw.advancesForGlyphIndexes(
        out.glyphs, QRawFont::LayoutFlags(QRawFont::KernedAdvances | QRawFont::UseDesignMetrics));
    return out;
}

}  // namespace

QtFontEngine::QtFontEngine() = default;

QtFontEngine& QtFontEngine::shared() {
    // Never destroyed: Qt's font machinery is gone by the time static objects are.
    static auto* engine = new QtFontEngine;
    return *engine;
}

QString QtFontEngine::fileFor(Typeface face, int weight) {
    switch (face) {
        case Typeface::text: return nearest(interFiles, weight);
        case Typeface::rounded: return nearest(roundedFiles, weight);
        case Typeface::monospaced: return nearest(monoFiles, weight);
        case Typeface::symbols: return nearest(symbolFiles, weight);
    }
    return {};
}

QFont QtFontEngine::widgetFont(const Font& font) {
    const ResolvedFont resolved = ResolvedFont::of(font);
    // Each packaged file is registered once; its family then names it.
    static std::map<QString, QString> families;
    const QString file = fileFor(resolved.face, resolved.weight);
    QFont q;
    if (!file.isEmpty()) {
        auto found = families.find(file);
        if (found == families.end()) {
            const int id = QFontDatabase::addApplicationFont(file);
            const QStringList names = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
            found = families.emplace(file, names.isEmpty() ? QString() : names.front()).first;
        }
        if (!found->second.isEmpty()) q.setFamily(found->second);
    }
    q.setPixelSize(std::max(1, static_cast<int>(std::lround(resolved.size))));
    q.setWeight(static_cast<QFont::Weight>(resolved.weight));
    return q;
}

QtFontEngine::Face& QtFontEngine::face(const ResolvedFont& font) {
    const auto key = std::make_pair(static_cast<int>(font.face), font.weight);
    auto it = faces_.find(key);
    if (it == faces_.end())
        it = faces_.emplace(key, Face{openFont(font.face, font.weight, referenceSize), {}}).first;
    return it->second;
}

FontMetrics QtFontEngine::metrics(const ResolvedFont& font) {
    const QRawFont& raw = face(font).reference;
    const double k = font.size / referenceSize;
    return {raw.ascent() * k, raw.descent() * k, raw.leading() * k};
}

double QtFontEngine::advance(const ResolvedFont& font, std::string_view utf8) {
    if (utf8.empty()) return 0;
    Face& f = face(font);
    auto it = f.advances.find(utf8);
    if (it == f.advances.end()) {
        double w = 0;
        for (const auto& a : laidOut(f.reference, utf8).advances) w += a.x();
        if (f.advances.size() > 20000) f.advances.clear();
        it = f.advances.emplace(std::string(utf8), w).first;
    }
    return it->second * font.size / referenceSize;
}

double QtFontEngine::digitAdvance(const ResolvedFont& font) {
    Face& f = face(font);
    if (!f.digit) {
        const ResolvedFont reference{font.face, font.weight, referenceSize};
        f.digit = FontEngine::digitAdvance(reference);
    }
    return *f.digit * font.size / referenceSize;
}

Rect QtFontEngine::inkBounds(const ResolvedFont& font, std::string_view utf8) {
    if (utf8.empty()) return {};
    Face& f = face(font);
    auto it = f.inks.find(utf8);
    if (it == f.inks.end()) {
        const auto [glyphs, adv] = laidOut(f.reference, utf8);
        QRectF ink;
        double x = 0;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            ink |= f.reference.boundingRect(glyphs[i]).translated(x, 0);
            x += adv[i].x();
        }
        if (f.inks.size() > 20000) f.inks.clear();
        it = f.inks.emplace(std::string(utf8), ink).first;
    }
    const double k = font.size / referenceSize;
    // A point and a fiftieth of the size to spare: antialiased edges, and glyphs placed to a
    // fraction of a pixel.
    const double spare = 1 + font.size / 50;
    const QRectF& r = it->second;
    return Rect{r.x() * k, r.y() * k, r.width() * k, r.height() * k}.insetBy(-spare, -spare);
}

bool QtFontEngine::hasGlyph(const ResolvedFont& font, char32_t codePoint) {
    return face(font).reference.supportsCharacter(static_cast<uint>(codePoint));
}

QRawFont QtFontEngine::sizedFrom(std::map<SizedKey, QRawFont>& kept, const QRawFont& reference,
                                 const ResolvedFont& font) {
    const SizedKey key(static_cast<int>(font.face), font.weight, std::llround(font.size * 64));
    auto it = kept.find(key);
    if (it == kept.end()) {
        if (kept.size() > 256) kept.clear();
        QRawFont raw = reference;
        raw.setPixelSize(font.size);
        it = kept.emplace(key, raw).first;
    }
    return it->second;
}

QRawFont QtFontEngine::rawFont(const ResolvedFont& font) {
    return sizedFrom(sized_, face(font).reference, font);
}

QRawFont QtFontEngine::outlineFont(const ResolvedFont& font) {
    Face& f = face(font);
    if (!f.outlines.isValid()) f.outlines = openFont(font.face, font.weight, referenceSize);
    return sizedFrom(outlineSized_, f.outlines, font);
}

void QtFontEngine::shape(const ResolvedFont& font, const QString& text, QList<quint32>& glyphs,
                         std::vector<double>& offsets) {
    const QRawFont& raw = face(font).reference;
    glyphs = raw.glyphIndexesForString(text);
    const QList<QPointF> adv = raw.advancesForGlyphIndexes(
        glyphs, QRawFont::LayoutFlags(QRawFont::KernedAdvances | QRawFont::UseDesignMetrics));
    offsets.assign(static_cast<std::size_t>(glyphs.size()), 0);
    double x = 0;
    const double k = font.size / referenceSize;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        offsets[static_cast<std::size_t>(i)] = x;
        x += adv[i].x() * k;
    }
}

}  // namespace quorlix::ui::qt
