#pragma once
// The font engine of the Qt renderer. The packaged fonts (Inter, Quicksand, JetBrains Mono,
// Material Icons) are loaded straight from their files, never matched through the system's
// font configuration, so what they hold measures and looks the same on every machine.
//
// Each file is opened once at a reference size without hinting; advances and metrics scale
// linearly from it, so the many sizes a shrinking text tries cost nothing extra. A text the
// packaged face holds whole, character by character with nothing to join, reorder or combine
// (Latin, Greek, Cyrillic), is drawn glyph by glyph from it, kerned. Any other text (other
// scripts, emoji, marks, right-to-left runs, joiners) is laid out by Qt on one line at the
// reference size: shaped by HarfBuzz, its runs ordered (bidi), each character in the packaged
// face when it holds it and else in the system font fontconfig finds for it; the glyph runs
// that layout makes are what is measured and what is drawn. Main thread only (Qt's font
// objects require the GUI thread; prepareFor and layOutAhead apart); a QGuiApplication must
// exist.

#include "ui/font.h"

#include "platform/lru_cache.h"

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorlix::ui::qt {

class QtFontEngine final : public FontEngine {
public:
    QtFontEngine();
    static QtFontEngine& shared();

    FontMetrics metrics(const ResolvedFont& font) override;
    double advance(const ResolvedFont& font, std::string_view utf8) override;
    bool hasGlyph(const ResolvedFont& font, char32_t codePoint) override;
    Rect inkBounds(const ResolvedFont& font, std::string_view utf8) override;
    double digitAdvance(const ResolvedFont& font) override;

    // The glyphs that draw a run of UTF-8 text at `font.size` pixels, placed from the start of
    // its baseline, in one or more runs: a run of the packaged face (`packaged`) for text it
    // holds whole, else the runs of Qt's layout of the text, each in the font it chose. Runs
    // of colour pictures (emoji) are apart: they have no outlines, and asking their font for
    // one leaves it drawing nothing.
    struct GlyphRuns {
        QList<QGlyphRun> runs;
        QList<QGlyphRun> pictures;
        bool packaged = true;
    };
    GlyphRuns glyphRuns(const ResolvedFont& font, std::string_view utf8);
    // For glyph outlines of the packaged face: the font at `font.size` pixels, on a copy of
    // the file nothing draws with. Qt's FreeType engine leaves the sub-pixel offset of the
    // glyph it last drew in the file's shared state and applies it to the outlines it makes
    // afterwards, so outlines taken from the fonts that draw would shift with whatever was
    // drawn before.
    QRawFont outlineFont(const ResolvedFont& font);

    // What the engine keeps of the texts it measured and laid out, and the most it may keep.
    struct Kept {
        std::size_t bytes = 0;
        std::size_t byteLimit = 0;
    };
    Kept keptTexts() const;

    // Lays out `text` on the calling thread, any thread, as the engine would: Qt then knows the
    // system fonts it falls back to for it (finding them through fontconfig costs tens of
    // milliseconds for each new script) and the files are read, so that the main thread's
    // layout of the text later finds them ready. For text arriving on a worker thread (a
    // player's title) before it is shown (Qt 6 lets fonts and text layouts be used in any
    // thread). Does nothing for ASCII, or without a QGuiApplication.
    static void prepareFor(std::string_view utf8);
    // Lays out `text` whole on the calling thread, any thread, in `face` at `weight`, when the
    // packaged face does not hold it whole, and leaves the glyphs, the advance and the ink for
    // the main thread, which takes them in place of its own layout the first time it needs
    // the text in that face and weight: for a text drawn whole (a title scrolling), whose
    // layout costs tens of milliseconds at thousands of characters in some scripts. Only the
    // fonts are made again on the main thread (Qt's fonts belong to the thread that made
    // them), once each. Kept within a number of bytes until taken.
    static void layOutAhead(std::string_view text, Typeface face, int weight);
    // The layouts made ahead and not taken yet, the most they may hold, and how many the main
    // thread has taken in place of its own.
    struct Ahead {
        std::size_t bytes = 0;
        std::size_t byteLimit = 0;
        std::size_t taken = 0;
    };
    static Ahead keptAhead();
    // Whether showing `utf8` needs Qt's layout and the system's fonts: some of its characters
    // the packaged text face does not draw alone. Main thread; false without a
    // QGuiApplication.
    static bool needsLayingOut(std::string_view utf8);

    // The file behind a typeface and weight, or empty when it is not installed.
    static QString fileFor(Typeface face, int weight);
    // The font for a native widget (a text field) drawing text as the views do.
    static QFont widgetFont(const Font& font);

private:
    // Texts are looked up as given, without a copy, and hashed once for the look-up and the
    // insertion after it.
    struct HashedText {
        std::string_view text;
        std::size_t hash;
        explicit HashedText(std::string_view s) : text(s), hash(std::hash<std::string_view>{}(s)) {}
    };
    struct TextKey {
        std::string text;
        std::size_t hash;
        explicit TextKey(const HashedText& h) : text(h.text), hash(h.hash) {}
    };
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(const TextKey& k) const { return k.hash; }
        std::size_t operator()(const HashedText& k) const { return k.hash; }
    };
    struct SameText {
        using is_transparent = void;
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return a.hash == b.hash && std::string_view(a.text) == std::string_view(b.text);
        }
    };
    template <class T>
    using ByText = std::unordered_map<TextKey, T, TextHash, SameText>;
    // Values by text, within a number of bytes (the texts, and each entry's node): the texts
    // kept since the last turn and those of the turn before. A turn comes when the newer half
    // is full; what the older half held and is asked for again moves to the newer one. So the
    // texts in use stay and a stream of new ones (a long title's every prefix measured) costs
    // at most the bound, with nothing to update on a look-up that finds.
    template <class T>
    class KeptByText {
    public:
        explicit KeptByText(std::size_t byteLimit) : limit_(byteLimit) {}
        const T* find(const HashedText& key) {
            if (auto it = newer_.find(key); it != newer_.end()) return &it->second;
            if (older_.empty()) return nullptr;
            auto it = older_.find(key);
            if (it == older_.end()) return nullptr;
            return &insert(key, it->second);
        }
        // Mostly called for a text just looked for and not found: one look-up, the insertion's.
        T& insert(const HashedText& key, T value) {
            const std::size_t bytes = weight(key.text);
            if (newerBytes_ + bytes > limit_ / 2) {
                older_ = std::move(newer_);
                newer_.clear();
                newer_.reserve(older_.size());  // as many again: no rehashing as it fills
                olderBytes_ = newerBytes_;
                newerBytes_ = 0;
            }
            const auto [it, inserted] = newer_.emplace(TextKey(key), value);
            if (inserted)
                newerBytes_ += bytes;
            else
                it->second = std::move(value);
            return it->second;
        }
        std::size_t bytes() const { return newerBytes_ + olderBytes_; }
        std::size_t byteLimit() const { return limit_; }

    private:
        static std::size_t weight(std::string_view text) {
            // The text's copy, and the node with its bucket's pointer and the allocator's header.
            return text.size() + 1 + sizeof(typename ByText<T>::value_type) + 3 * sizeof(void*) + 16;
        }
        std::size_t limit_;
        ByText<T> newer_, older_;
        std::size_t newerBytes_ = 0, olderBytes_ = 0;
    };
    struct Face {
        QRawFont reference;                     // at referenceSize pixels
        QRawFont outlines;                      // the same, opened apart; once needed
        KeptByText<double> advances{1u << 20};  // in reference pixels
        KeptByText<QRectF> inks{1u << 20};      // the same
        std::optional<double> digit;            // the widest digit's advance, the same
        // Qt's layout of what the face does not hold whole: its own family first, at the
        // reference size.
        QFont layoutFont;
        // By code point of the Basic Multilingual Plane, in pages of 256 made as code points
        // come: 0 not looked at yet, 1 drawn by the face alone, 2 not.
        std::array<std::unique_ptr<std::array<std::uint8_t, 256>>, 256> alone;
    };
    Face& face(const ResolvedFont& font);
    // The advance of a text the face does not hold whole, in reference pixels.
    double laidOutWidth(const ResolvedFont& font, Face& face, const QString& text);
    // Whether the packaged face draws `text` alone, glyph by glyph.
    static bool drawsAlone(Face& face, Typeface typeface, const QString& text);
    // Qt's layout of a text the face does not hold whole, at the reference size: its glyph
    // runs, kept a while (its advance is kept with those of other texts).
    const QList<QGlyphRun>& laidOutRuns(Face& face, const ResolvedFont& font, std::string_view utf8);
    // Takes in the layout another thread made of the text ahead (layOutAhead), if any: its
    // runs, advance and ink are then kept as if laid out here.
    bool takeLaidOutAhead(Face& face, const ResolvedFont& font, std::string_view utf8);
    // This thread's font for a font another thread's layout chose; invalid when none matches.
    QRawFont sameFontHere(const Face& face, const QString& family, const QString& style,
                          double pixelSize, const QByteArray& glyphTable);

    // A font Qt's layout chose (the packaged face's own, or a system font): its glyphs' bounds
    // at the reference size, as Qt asks the file again for each (a colour emoji's picture is
    // decoded each time), and its copies at the sizes drawn.
    struct ChosenFont {
        QRawFont reference;
        bool pictures = false;  // colour bitmaps (an index of them, CBLC, and no outlines)
        QHash<quint32, QRectF> bounds;
        std::map<long long, QRawFont> sized;
    };
    ChosenFont& chosen(const QRawFont& reference);
    QRectF glyphBounds(ChosenFont& font, quint32 glyph);

    static constexpr double referenceSize = 100;
    std::map<std::pair<int, int>, Face> faces_;  // by (typeface, weight)
    using SizedKey = std::tuple<int, int, long long>;
    static QRawFont sizedFrom(std::map<SizedKey, QRawFont>& kept, const QRawFont& reference,
                              const ResolvedFont& font);
    QRawFont rawFont(const ResolvedFont& font);
    std::map<SizedKey, QRawFont> sized_;
    std::map<SizedKey, QRawFont> outlineSized_;
    std::vector<ChosenFont> chosen_;
    std::map<std::tuple<QString, QString, int, long long>, QRawFont> madeHere_;
    LruCache<std::string, QList<QGlyphRun>> laidOut_;
};

}  // namespace quorlix::ui::qt
