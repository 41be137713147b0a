#include "ui/qt/qt_font_engine.h"

#include "platform/emoji_presentation.h"

#include <fontconfig/fontconfig.h>

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSet>
#include <QTextBoundaryFinder>
#include <QTextCharFormat>
#include <QTextLayout>

#include <algorithm>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cmath>
#include <cstring>
#include <list>
#include <mutex>

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
const WeightFile* nearest(const WeightFile (&files)[N], int weight) {
    // The installed file of the nearest weight; a heavier one on a tie (semibold over medium).
    const WeightFile* best = nullptr;
    for (const auto& f : files) {
        if (!QFile::exists(QString::fromLatin1(f.file))) continue;
        if (!best || std::abs(f.weight - weight) < std::abs(best->weight - weight) ||
            (std::abs(f.weight - weight) == std::abs(best->weight - weight) && f.weight > best->weight))
            best = &f;
    }
    return best;
}

const WeightFile* installedFile(Typeface face, int weight) {
    switch (face) {
        case Typeface::text: return nearest(interFiles, weight);
        case Typeface::rounded: return nearest(roundedFiles, weight);
        case Typeface::monospaced: return nearest(monoFiles, weight);
        case Typeface::symbols: return nearest(symbolFiles, weight);
    }
    return nullptr;
}

// The font Qt lays out what a packaged face does not hold whole with: that face's family first
// (the packages install it for the system's font configuration too, so it needs no
// registering, which would empty Qt's caches of fonts), at its file's own weight (so the face
// itself is chosen, never a bolder rendering of it), without hinting; and the system's fonts
// for the rest, at that weight.
QFont layoutFontFor(const QRawFont& packaged, Typeface face, int weight, double pixelSize) {
    QFont q;
    if (packaged.isValid()) q.setFamilies({packaged.familyName()});
    q.setStyleHint(face == Typeface::monospaced ? QFont::Monospace : QFont::SansSerif);
    q.setPixelSize(static_cast<int>(pixelSize));
    const WeightFile* file = installedFile(face, weight);
    q.setWeight(static_cast<QFont::Weight>(file ? file->weight : weight));
    q.setHintingPreference(QFont::PreferNoHinting);
    return q;
}

// Texts Qt lays out are laid out at this size (QtFontEngine::referenceSize).
constexpr double referenceLayoutSize = 100;

// The family of the colour emoji face the system's font configuration names for emoji, or
// empty when there is none.
QString colourEmojiFamily() {
    static const QString family = [] {
        QString found;
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("emoji:color=true"));
        if (!pattern) return found;
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
            FcChar8* name = nullptr;
            FcBool colour = FcFalse;
            if (FcPatternGetBool(match, FC_COLOR, 0, &colour) == FcResultMatch && colour &&
                FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
                found = QString::fromUtf8(reinterpret_cast<const char*>(name));
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        return found;
    }();
    return family;
}

// How much larger than Qt sizes them the colour face's pictures are drawn, so that they take the
// size Pango (and the face's makers) give them. Qt fits a strike of colour bitmaps to the size
// by the strike's height (its ascender and descender, 128 pixels for Noto Color Emoji); the
// face means its strike's em (109 pixels): Qt draws them at 0.85 of their size. Qt takes the
// shortest strike at least as tall as the size; the reference size is below every strike in
// use, so that is the shortest.
double colourEmojiScale(const QString& family) {
    QFont font(family);
    font.setPixelSize(static_cast<int>(referenceLayoutSize));
    const QByteArray cblc = QRawFont::fromFont(font).fontTable("CBLC");
    const auto byte = [&](qsizetype i) { return i < cblc.size() ? static_cast<unsigned char>(cblc[i]) : 0; };
    const qsizetype sizes = cblc.size() >= 8 ? (byte(4) << 24 | byte(5) << 16 | byte(6) << 8 | byte(7)) : 0;
    double scale = 1;
    int shortest = 0;
    // Each strike's record: 48 bytes from byte 8; its horizontal ascender and descender (signed)
    // at 16 and 17, its vertical pixels per em at 45.
    for (qsizetype i = 0; i < sizes && 8 + 48 * (i + 1) <= cblc.size(); ++i) {
        const qsizetype at = 8 + 48 * i;
        const int height = static_cast<signed char>(byte(at + 16)) - static_cast<signed char>(byte(at + 17));
        const int em = byte(at + 45);
        if (height > 0 && em > 0 && (shortest == 0 || height < shortest)) {
            shortest = height;
            scale = static_cast<double>(height) / em;
        }
    }
    return scale;
}

// Whether a character draws by its own glyph alone: no mark to place on another, no joining,
// no reordering, nothing invisible, not an emoji by default; and the face holds it.
bool drawnAlone(const QRawFont& raw, char32_t c) {
    if (platform::hasEmojiPresentation(c)) return false;
    switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Other_NotAssigned: return false;
        default: break;
    }
    switch (QChar::direction(c)) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirNSM:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirPDF:
        case QChar::DirLRI:
        case QChar::DirRLI:
        case QChar::DirFSI:
        case QChar::DirPDI: return false;
        default: break;
    }
    return raw.supportsCharacter(static_cast<uint>(c));
}

// A text on one line as Qt lays it out at the font's size: its paragraph's direction from its
// first letter, its trailing spaces counted, its left edge at 0. Its emoji (by Unicode's
// presentation rules) are in the colour emoji face, whatever other face holds them: Qt's own
// fallback takes the first face that has a character, often a black-and-white one.
struct OneLine {
    QTextLayout layout;
    QTextLine line;
    OneLine(const QString& text, const QFont& font) : layout(text, font) {
        const auto spans = platform::emojiPresentationSpans(std::u16string_view(
            reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
        if (!spans.empty() && !colourEmojiFamily().isEmpty()) {
            static const double scale = colourEmojiScale(colourEmojiFamily());
            QFont emojiFont = font;
            emojiFont.setFamilies(QStringList{colourEmojiFamily()});
            emojiFont.setPixelSize(static_cast<int>(std::lround(font.pixelSize() * scale)));
            QTextCharFormat emoji;
            emoji.setFont(emojiFont, QTextCharFormat::FontPropertiesAll);
            QList<QTextLayout::FormatRange> formats;
            for (const auto& span : spans)
                formats.append({static_cast<int>(span.start), static_cast<int>(span.length), emoji});
            layout.setFormats(formats);
        }
        QTextOption option;
        option.setUseDesignMetrics(true);
        option.setWrapMode(QTextOption::NoWrap);
        option.setTextDirection(Qt::LayoutDirectionAuto);
        option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        option.setFlags(QTextOption::IncludeTrailingSpaces);
        layout.setTextOption(option);
        layout.beginLayout();
        line = layout.createLine();
        layout.endLayout();
    }
    double advance() const { return line.isValid() ? line.horizontalAdvance() : 0; }
};

// The advance of a text Qt lays out; apart from the packaged face's quick road.
[[gnu::noinline]] double laidOutAdvance(const QString& text, const QFont& font) {
    return OneLine(text, font).advance();
}

QString qString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
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

// The glyphs of a run of text in `raw` and their advances, kerned.
struct LaidOut {
    QList<quint32> glyphs;
    QList<QPointF> advances;
};
LaidOut laidOut(const QRawFont& raw, const QString& text) {
    LaidOut out{raw.glyphIndexesForString(text), {}};
    out.advances = raw.advancesForGlyphIndexes(
        out.glyphs, QRawFont::LayoutFlags(QRawFont::KernedAdvances | QRawFont::UseDesignMetrics));
    return out;
}

// The key of a text's layout in a face and weight.
std::string layoutKey(std::string_view utf8, Typeface face, int weight) {
    std::string key(utf8);
    for (const int v : {static_cast<int>(face), weight})
        key.append(reinterpret_cast<const char*>(&v), sizeof v);
    return key;
}

// A text laid out on another thread, in terms any thread can use: each run's font by what
// names it (its glyph table checks that the font made from that is the same file), its
// glyphs and their places from the start of the baseline; the text's advance and ink.
struct AheadRun {
    QString family, style;
    double pixelSize = 0;
    QByteArray glyphTable;
    QGlyphRun::GlyphRunFlags flags;
    QList<quint32> glyphs;
    QList<QPointF> positions;
};
struct LaidOutText {
    double advance = 0;
    QRectF ink;
    std::vector<AheadRun> runs;
};

// Layouts made ahead, by key, until the main thread takes them: within a number of bytes, the
// oldest given up first (a player's texts the island never showed).
class LaidOutAhead {
public:
    void put(std::string key, LaidOutText ahead) {
        std::size_t bytes = 2 * key.size() + sizeof(Entry) + 64;
        for (const AheadRun& r : ahead.runs)
            bytes += sizeof(AheadRun) +
                     static_cast<std::size_t>(r.glyphs.size()) * (sizeof(quint32) + sizeof(QPointF));
        const std::lock_guard lock(mutex_);
        if (const auto old = byKey_.find(key); old != byKey_.end()) erase(old);
        while (!order_.empty() && bytes_ + bytes > limit) erase(byKey_.find(order_.front()));
        order_.push_back(key);
        byKey_.emplace(std::move(key), Entry{std::move(ahead), bytes, std::prev(order_.end())});
        bytes_ += bytes;
        any_.store(true, std::memory_order_release);
    }
    std::optional<LaidOutText> take(const std::string& key) {
        const std::lock_guard lock(mutex_);
        const auto it = byKey_.find(key);
        if (it == byKey_.end()) return std::nullopt;
        LaidOutText ahead = std::move(it->second.ahead);
        erase(it);
        return ahead;
    }
    // Without a lock: a look-up on every new text would cost more than the layouts it saves.
    bool empty() const { return !any_.load(std::memory_order_acquire); }
    void used() { taken_.fetch_add(1, std::memory_order_relaxed); }
    QtFontEngine::Ahead kept() {
        const std::lock_guard lock(mutex_);
        return {bytes_, limit, taken_.load(std::memory_order_relaxed)};
    }

private:
    struct Entry {
        LaidOutText ahead;
        std::size_t bytes;
        std::list<std::string>::iterator inOrder;
    };
    using ByKey = std::unordered_map<std::string, Entry>;
    void erase(ByKey::iterator it) {
        bytes_ -= it->second.bytes;
        order_.erase(it->second.inOrder);
        byKey_.erase(it);
        if (byKey_.empty()) any_.store(false, std::memory_order_release);
    }
    static constexpr std::size_t limit = 4u << 20;
    std::mutex mutex_;
    ByKey byKey_;
    std::list<std::string> order_;  // oldest first
    std::size_t bytes_ = 0;
    std::atomic<bool> any_{false};
    std::atomic<std::size_t> taken_{0};
};

// The texts laid out ahead lately and those under way, by hash, for every thread: a player's
// title reaches two (its announcement, and the scripts that ask the player how it stands) and
// is laid out once; the second waits for the first, as its caller is about to show the text.
class AheadWork {
public:
    // Whether the caller is to lay the text out (and then call `end`); false once another
    // thread has, waited for if it is at it.
    bool begin(std::size_t hash) {
        std::unique_lock lock(mutex_);
        while (std::find(underWay_.begin(), underWay_.end(), hash) != underWay_.end()) done_.wait(lock);
        if (std::find(recent_.begin(), recent_.end(), hash) != recent_.end()) return false;
        underWay_.push_back(hash);
        return true;
    }
    void end(std::size_t hash) {
        {
            const std::lock_guard lock(mutex_);
            underWay_.erase(std::find(underWay_.begin(), underWay_.end(), hash));
            recent_[next_++ % recent_.size()] = hash;
        }
        done_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    std::vector<std::size_t> underWay_;
    std::array<std::size_t, 64> recent_{};
    std::size_t next_ = 0;
};

AheadWork& aheadWork() {
    static auto* work = new AheadWork;  // any thread; never destroyed
    return *work;
}

LaidOutAhead& laidOutAhead() {
    static auto* ahead = new LaidOutAhead;  // any thread; never destroyed (used until exit)
    return *ahead;
}

}  // namespace

QtFontEngine::QtFontEngine()
    : laidOut_(1u << 20, [](const std::string& key, const QList<QGlyphRun>& runs) {
          // The key, and each glyph's index and position.
          std::size_t glyphs = 0;
          for (const auto& r : runs) glyphs += static_cast<std::size_t>(r.glyphIndexes().size());
          return key.capacity() + runs.size() * sizeof(QGlyphRun) +
                 glyphs * (sizeof(quint32) + sizeof(QPointF));
      }) {}

QtFontEngine& QtFontEngine::shared() {
    // Never destroyed: Qt's font machinery is gone by the time static objects are.
    static auto* engine = new QtFontEngine;
    return *engine;
}

QString QtFontEngine::fileFor(Typeface face, int weight) {
    const WeightFile* file = installedFile(face, weight);
    return file ? QString::fromLatin1(file->file) : QString();
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

void QtFontEngine::prepareFor(std::string_view utf8) {
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return;
    // Fonts need a GUI application (a tool with a plain core application has none).
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    // A player is asked again and again for the same texts: each is laid out once.
    static thread_local std::array<std::size_t, 16> recent{};
    static thread_local std::size_t next = 0;
    const std::size_t hash = std::hash<std::string_view>{}(utf8);
    if (std::find(recent.begin(), recent.end(), hash) != recent.end()) return;
    recent[next++ % recent.size()] = hash;
    // The text face at the weights titles and their lines use; fallbacks are found by family
    // and script, the same for every weight, and each weight's fonts are opened.
    static thread_local const std::vector<QFont> fonts = [] {
        std::vector<QFont> made;
        for (const int weight : {400, 600}) {
            const QRawFont packaged = openFont(Typeface::text, weight, referenceSize);
            made.push_back(layoutFontFor(packaged, Typeface::text, weight, referenceSize));
        }
        return made;
    }();
    // Each character once: the fonts a text falls back to are those of its characters, and a
    // title of thousands of emoji would cost a second laid out whole.
    const QString whole = qString(utf8);
    QString text;
    QSet<QStringView> seen;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, whole);
    for (qsizetype from = 0, to; (to = characters.toNextBoundary()) > 0; from = to)
        if (const QStringView character = QStringView(whole).sliced(from, to - from);
            !seen.contains(character)) {
            seen.insert(character);
            text += character;
        }
    for (const QFont& font : fonts) {
        const OneLine one(text, font);
        if (one.line.isValid()) one.line.glyphRuns();
    }
}

void QtFontEngine::layOutAhead(std::string_view utf8, Typeface typeface, int weight) {
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    const std::string key = layoutKey(utf8, typeface, weight);
    const std::size_t hash = std::hash<std::string>{}(key);
    if (!aheadWork().begin(hash)) return;
    struct Done {
        std::size_t hash;
        ~Done() { aheadWork().end(hash); }
    } done{hash};
    // This thread's packaged face and layout font, as the engine makes them.
    static thread_local std::map<std::pair<int, int>, std::pair<QRawFont, QFont>> fonts;
    auto made = fonts.find({static_cast<int>(typeface), weight});
    if (made == fonts.end()) {
        QRawFont packaged = openFont(typeface, weight, referenceSize);
        QFont layoutFont = layoutFontFor(packaged, typeface, weight, referenceSize);
        made = fonts.emplace(std::make_pair(static_cast<int>(typeface), weight),
                             std::make_pair(std::move(packaged), std::move(layoutFont)))
                   .first;
    }
    const QString text = qString(utf8);
    // A text the packaged face draws alone costs the main thread little.
    bool alone = typeface == Typeface::symbols;
    if (!alone) {
        alone = true;
        for (qsizetype i = 0; alone && i < text.size(); ++i) {
            const QChar c = text.at(i);
            alone = c.unicode() < 0x80 || (!c.isSurrogate() && drawnAlone(made->second.first, c.unicode()));
        }
    }
    if (alone) return;
    // Qt decodes a colour emoji's picture for each of its advances: a text of thousands of
    // them costs this thread up to half a second, which the main thread is spared.
    const OneLine one(text, made->second.second);
    if (!one.line.isValid()) return;
    const QPointF origin(one.line.x(), one.line.y() + one.line.ascent());
    LaidOutText ahead;
    ahead.advance = one.advance();
    // Each font's names once, and each glyph's bounds once: Qt asks the file again for each (a
    // colour emoji's picture is decoded each time), and a title repeats its glyphs. Qt makes a
    // run of each script item, hundreds in a long title of several scripts, in a few fonts.
    struct Named {
        QRawFont raw;
        AheadRun names;
        std::map<quint32, QRectF> bounds;
    };
    std::vector<Named> chosen;
    for (const QGlyphRun& run : one.line.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        auto font = std::find_if(chosen.begin(), chosen.end(), [&](const Named& n) { return n.raw == raw; });
        if (font == chosen.end())
            font = chosen.insert(chosen.end(), Named{raw, {raw.familyName(), raw.styleName(), raw.pixelSize(),
                                                         raw.fontTable("maxp"), {}, {}, {}}, {}});
        AheadRun r = font->names;
        r.flags = run.flags();
        r.glyphs = run.glyphIndexes();
        r.positions = run.positions();
        for (qsizetype i = 0; i < r.glyphs.size(); ++i) {
            r.positions[i] -= origin;
            auto [bounds, made] = font->bounds.try_emplace(r.glyphs[i]);
            if (made) bounds->second = raw.boundingRect(r.glyphs[i]);
            ahead.ink |= bounds->second.translated(r.positions[i]);
        }
        ahead.runs.push_back(std::move(r));
    }
    laidOutAhead().put(key, std::move(ahead));
}

bool QtFontEngine::needsLayingOut(std::string_view utf8) {
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return false;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    QtFontEngine& engine = shared();
    return !drawsAlone(engine.face(ResolvedFont{}), Typeface::text, qString(utf8));
}

bool QtFontEngine::takeLaidOutAhead(Face& f, const ResolvedFont& font, std::string_view utf8) {
    if (laidOutAhead().empty()) return false;
    std::string key = layoutKey(utf8, font.face, font.weight);
    std::optional<LaidOutText> ahead = laidOutAhead().take(key);
    if (!ahead) return false;
    QList<QGlyphRun> runs;
    for (AheadRun& r : ahead->runs) {
        const QRawFont raw = sameFontHere(f, r.family, r.style, r.pixelSize, r.glyphTable);
        if (!raw.isValid()) return false;
        QGlyphRun run;
        run.setRawFont(raw);
        run.setFlags(r.flags);
        run.setGlyphIndexes(std::move(r.glyphs));
        run.setPositions(std::move(r.positions));
        runs.append(std::move(run));
    }
    laidOut_.insert(std::move(key), std::move(runs));
    const HashedText text(utf8);
    f.advances.insert(text, ahead->advance);
    f.inks.insert(text, ahead->ink);
    laidOutAhead().used();
    return true;
}

QtFontEngine::Ahead QtFontEngine::keptAhead() { return laidOutAhead().kept(); }

QRawFont QtFontEngine::sameFontHere(const Face& f, const QString& family, const QString& style, double pixelSize,
                                    const QByteArray& glyphTable) {
    const auto key = std::make_tuple(family, style, f.layoutFont.weight(), std::llround(pixelSize * 64));
    auto it = madeHere_.find(key);
    if (it == madeHere_.end()) {
        // The family alone, at the layout's weight, as Qt's fallback asked for it: no other
        // family is looked for (finding those asks fontconfig again).
        QFont q = f.layoutFont;
        q.setFamilies({family});
        q.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
        q.setStyleStrategy(QFont::StyleStrategy(q.styleStrategy() | QFont::NoFontMerging));
        QRawFont raw = QRawFont::fromFont(q);
        if (raw.isValid() && raw.pixelSize() != pixelSize) raw.setPixelSize(pixelSize);
        if (!raw.isValid() || raw.familyName() != family || raw.styleName() != style ||
            raw.fontTable("maxp") != glyphTable)
            raw = QRawFont();
        if (madeHere_.size() >= 64) madeHere_.clear();
        it = madeHere_.emplace(key, raw).first;
    }
    return it->second;
}

QtFontEngine::Face& QtFontEngine::face(const ResolvedFont& font) {
    const auto key = std::make_pair(static_cast<int>(font.face), font.weight);
    auto it = faces_.find(key);
    if (it == faces_.end()) {
        Face made;
        made.reference = openFont(font.face, font.weight, referenceSize);
        made.layoutFont = layoutFontFor(made.reference, font.face, font.weight, referenceSize);
        it = faces_.emplace(key, std::move(made)).first;
    }
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
    const HashedText key(utf8);
    const double* kept = f.advances.find(key);
    if (!kept) {
        const QString text = qString(utf8);
        if (drawsAlone(f, font.face, text)) {
            double w = 0;
            for (const auto& a : laidOut(f.reference, text).advances) w += a.x();
            kept = &f.advances.insert(key, w);
        } else if (takeLaidOutAhead(f, font, utf8)) {
            kept = f.advances.find(key);
        }
        if (!kept) kept = &f.advances.insert(key, laidOutWidth(font, f, text));
    }
    return *kept * font.size / referenceSize;
}

double QtFontEngine::laidOutWidth(const ResolvedFont& font, Face& f, const QString& text) {
    const auto spans = platform::emojiPresentationSpans(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
    const auto size = static_cast<std::size_t>(text.size());
    if (spans.empty() || colourEmojiFamily().isEmpty() || (spans.size() == 1 && spans[0].length == size))
        return laidOutAdvance(text, f.layoutFont);
    // Qt asks a colour face for each picture's advance by decoding the picture (Noto's are
    // PNG), every time: a long title of emoji would cost a second a layout. Its emoji and the
    // stretches between them are measured apart and kept: the same few come again and again.
    // They meet no kerning or joining across the change of face, so their sum is the text's.
    const ResolvedFont reference{font.face, font.weight, referenceSize};
    double w = 0;
    const auto add = [&](std::size_t from, std::size_t to) {
        if (to <= from) return;
        const QByteArray piece =
            text.sliced(static_cast<qsizetype>(from), static_cast<qsizetype>(to - from)).toUtf8();
        w += advance(reference, std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())));
    };
    std::size_t at = 0;
    for (const auto& span : spans) {
        add(at, span.start);
        add(span.start, span.start + span.length);
        at = span.start + span.length;
    }
    add(at, size);
    return w;
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
    const HashedText key(utf8);
    const QRectF* kept = f.inks.find(key);
    const QString text = kept ? QString() : qString(utf8);
    const bool alone = !kept && drawsAlone(f, font.face, text);
    if (!kept && !alone && takeLaidOutAhead(f, font, utf8)) kept = f.inks.find(key);
    if (!kept) {
        QRectF ink;
        if (alone) {
            const auto [glyphs, adv] = laidOut(f.reference, text);
            double x = 0;
            for (qsizetype i = 0; i < glyphs.size(); ++i) {
                ink |= f.reference.boundingRect(glyphs[i]).translated(x, 0);
                x += adv[i].x();
            }
        } else {
            for (const QGlyphRun& run : laidOutRuns(f, font, utf8)) {
                ChosenFont& chosenFont = chosen(run.rawFont());
                const QList<quint32> glyphs = run.glyphIndexes();
                const QList<QPointF> positions = run.positions();
                for (qsizetype i = 0; i < glyphs.size(); ++i)
                    ink |= glyphBounds(chosenFont, glyphs[i]).translated(positions[i]);
            }
        }
        kept = &f.inks.insert(key, ink);
    }
    const double k = font.size / referenceSize;
    // A point and a fiftieth of the size to spare: antialiased edges, and glyphs placed to a
    // fraction of a pixel.
    const double spare = 1 + font.size / 50;
    const QRectF& r = *kept;
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

bool QtFontEngine::drawsAlone(Face& f, Typeface typeface, const QString& text) {
    // The icon font draws the code points of our own catalogue.
    if (typeface == Typeface::symbols) return true;
    const ushort* units = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Past ASCII, four units at a time: most of what is measured.
        for (std::uint64_t four = 0; i + 4 <= size; i += 4) {
            std::memcpy(&four, units + i, sizeof four);
            if (const std::uint64_t wide = four & 0xFF80FF80FF80FF80u) {
                i += (std::endian::native == std::endian::little ? std::countr_zero(wide)
                                                                 : std::countl_zero(wide)) /
                     16;
                break;
            }
        }
        if (i >= size) break;
        const ushort c = units[i];
        if (c < 0x80) continue;
        // Past the Basic Multilingual Plane (emoji, surrogates): laid out by Qt.
        if (QChar::isSurrogate(c)) return false;
        auto& page = f.alone[c >> 8];
        if (!page) page = std::make_unique<std::array<std::uint8_t, 256>>();
        std::uint8_t& known = (*page)[c & 0xFF];
        if (known == 0) known = drawnAlone(f.reference, c) ? 1 : 2;
        if (known == 2) return false;
    }
    return true;
}

const QList<QGlyphRun>& QtFontEngine::laidOutRuns(Face& f, const ResolvedFont& font, std::string_view utf8) {
    std::string key = layoutKey(utf8, font.face, font.weight);
    if (const QList<QGlyphRun>* kept = laidOut_.find(key)) return *kept;
    if (takeLaidOutAhead(f, font, utf8))
        if (const QList<QGlyphRun>* kept = laidOut_.find(key)) return *kept;
    const OneLine one(qString(utf8), f.layoutFont);
    QList<QGlyphRun> runs = one.line.isValid() ? one.line.glyphRuns() : QList<QGlyphRun>();
    // From the start of the baseline.
    const QPointF origin(one.line.isValid() ? one.line.x() : 0,
                         one.line.isValid() ? one.line.y() + one.line.ascent() : 0);
    for (QGlyphRun& run : runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions) p -= origin;
        run.setPositions(positions);
    }
    // The advance measured with the runs, as it is what they draw.
    f.advances.insert(HashedText(utf8), one.advance());
    return laidOut_.insert(std::move(key), std::move(runs));
}

QtFontEngine::ChosenFont& QtFontEngine::chosen(const QRawFont& reference) {
    for (ChosenFont& c : chosen_)
        if (c.reference == reference) return c;
    // A handful in use; more only as Qt's font cache replaces its fonts.
    if (chosen_.size() >= 64) chosen_.clear();
    return chosen_.emplace_back(ChosenFont{reference, !reference.fontTable("CBLC").isEmpty(), {}, {}});
}

QtFontEngine::Kept QtFontEngine::keptTexts() const {
    Kept kept{laidOut_.bytes(), laidOut_.byteLimit()};
    for (const auto& [key, face] : faces_) {
        kept.bytes += face.advances.bytes() + face.inks.bytes();
        kept.byteLimit += face.advances.byteLimit() + face.inks.byteLimit();
    }
    return kept;
}

QRectF QtFontEngine::glyphBounds(ChosenFont& font, quint32 glyph) {
    auto it = font.bounds.find(glyph);
    if (it == font.bounds.end()) {
        // A font of thousands of glyphs (CJK) keeps those of the last few texts.
        if (font.bounds.size() >= 4096) font.bounds.clear();
        it = font.bounds.insert(glyph, font.reference.boundingRect(glyph));
    }
    return *it;
}

QtFontEngine::GlyphRuns QtFontEngine::glyphRuns(const ResolvedFont& font, std::string_view utf8) {
    Face& f = face(font);
    const double k = font.size / referenceSize;
    GlyphRuns out;
    if (const QString text = qString(utf8); drawsAlone(f, font.face, text)) {
        const auto [glyphs, adv] = laidOut(f.reference, text);
        QList<QPointF> positions;
        positions.reserve(glyphs.size());
        double x = 0;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            positions.append(QPointF(x, 0));
            x += adv[i].x() * k;
        }
        QGlyphRun run;
        run.setRawFont(rawFont(font));
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        out.runs.append(run);
        return out;
    }
    out.packaged = false;
    QList<QGlyphRun> drawn;
    for (QGlyphRun run : laidOutRuns(f, font, utf8)) {
        ChosenFont& chosenFont = chosen(run.rawFont());
        // A run may be laid out at another size than the text's (colour emoji are).
        const double pixels = chosenFont.reference.pixelSize() * k;
        const long long size = std::llround(pixels * 64);
        auto sized = chosenFont.sized.find(size);
        if (sized == chosenFont.sized.end()) {
            if (chosenFont.sized.size() > 64) chosenFont.sized.clear();
            QRawFont raw = chosenFont.reference;
            raw.setPixelSize(pixels);
            sized = chosenFont.sized.emplace(size, raw).first;
        }
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions) p *= k;
        run.setPositions(positions);
        run.setRawFont(sized->second);
        (chosenFont.pictures ? out.pictures : drawn).append(run);
    }
    out.runs = drawn;
    return out;
}

}  // namespace quorlix::ui::qt
