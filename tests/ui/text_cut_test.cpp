// A text cut to its line limit is cut where measuring every shorter form from the longest down
// cuts it (the way it was once found, kept here as the reference), in several scripts, widths
// and limits, with fixed metrics and with the real fonts; and never inside a character (a
// letter with its marks, a joined emoji, a flag, a conjunct).

#include "fakes/fixed_font_engine.h"
#include "fakes/well_formed_text.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/text_layout.h"

#include <QTextBoundaryFinder>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace quorlix::ui {
namespace {

// The reference: every shorter form measured, from the longest down.
struct Reference {
    FontEngine& fonts;
    ResolvedFont font;
    double W;

    double width(std::string_view s) const { return fonts.advance(font, s); }
    // Where the characters a reader sees start, as Qt's own boundary finder tells them (and
    // the end), in bytes.
    static std::vector<std::size_t> starts(std::string_view s) {
        const QString text = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
        std::vector<std::size_t> out{0};
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        for (qsizetype from = 0, to; (to = finder.toNextBoundary()) > 0; from = to)
            out.push_back(out.back() +
                          static_cast<std::size_t>(text.sliced(from, to - from).toUtf8().size()));
        return out;
    }

    std::string truncate(const std::string& text, TruncationMode mode) const {
        if (width(text) <= W) return text;
        const auto b = starts(text);
        const std::size_t n = b.size() - 1;
        auto trimEnd = [](std::string s) { return s.erase(s.find_last_not_of(' ') + 1); };
        auto trimStart = [](std::string s) {
            return s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
        };
        for (std::size_t k = n; k-- > 0;) {
            const std::string head = text.substr(0, b[mode == TruncationMode::tail ? k : (k + 1) / 2]);
            const std::string tail = text.substr(b[n - (mode == TruncationMode::head ? k : k / 2)]);
            const std::string c = mode == TruncationMode::tail ? trimEnd(head) + std::string(ellipsis)
                                  : mode == TruncationMode::head
                                      ? std::string(ellipsis) + trimStart(tail)
                                      : trimEnd(head) + std::string(ellipsis) + trimStart(tail);
            if (width(c) <= W) return c;
        }
        return std::string(ellipsis);
    }

    std::vector<std::string> wrap(std::string_view text) const {
        std::vector<std::string> out;
        for (std::size_t start = 0;;) {
            const std::size_t nl = text.find('\n', start);
            const std::string para(text.substr(start, nl == std::string_view::npos ? nl : nl - start));
            std::string line;
            bool any = false;
            for (std::size_t pos = 0; pos <= para.size();) {
                const std::size_t end = std::min(para.find(' ', pos), para.size());
                std::string word = para.substr(pos, end - pos);
                const std::string candidate = line.empty() && !any ? word : line + " " + word;
                if (width(candidate) <= W) {
                    line = candidate;
                    any = true;
                } else {
                    if (any) out.push_back(line);
                    while (!word.empty() && width(word) > W) {
                        const auto b = starts(word);
                        std::size_t cut = b[1];
                        for (std::size_t k = 1; k < b.size() - 1 && width(word.substr(0, b[k + 1])) <= W; ++k)
                            cut = b[k + 1];
                        out.push_back(word.substr(0, cut));
                        word.erase(0, cut);
                    }
                    line = word;
                    any = true;
                }
                if (end >= para.size()) break;
                pos = end + 1;
            }
            out.push_back(line);
            if (nl == std::string_view::npos) return out;
            start = nl + 1;
        }
    }

    std::vector<std::string> cut(std::string_view text, int limit, TruncationMode mode) const {
        if (limit == 1) {
            std::string whole(text);
            std::replace(whole.begin(), whole.end(), '\n', ' ');
            return {truncate(whole, mode)};
        }
        std::vector<std::string> lines = wrap(text);
        if (lines.size() <= static_cast<std::size_t>(limit)) return lines;
        std::string last = lines[static_cast<std::size_t>(limit - 1)];
        for (std::size_t i = static_cast<std::size_t>(limit); i < lines.size(); ++i) last += " " + lines[i];
        lines.resize(static_cast<std::size_t>(limit));
        lines.back() = truncate(last + std::string(ellipsis), TruncationMode::tail);
        return lines;
    }
};

std::string times(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

const std::vector<std::string>& texts() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> t = {
            "Canción de la mañana, él y ñandú über die Straße",
            "Cafe\u0301 nin\u0303o a\u0308\u0308\u0308 o\u0302\u0323 con marcas que se combinan",
            "東京の夜空に響く歌声、君と僕の物語はまだ終わらない",
            "أغنية الصباح في المدينة القديمة مع الأصدقاء",
            "\U0001F469\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466 familia \U0001F44D\U0001F3FD bien "
            "\U0001F3F3\uFE0F\u200D\U0001F308 orgullo \U0001F1F2\U0001F1FD México",
            "Primera línea\nsegunda línea más larga que la primera\n\ntercera",
            "a  b   c    palabras   con  espacios  ",
            "https://ejemplo.invalid/una/ruta/muy/larga/sin/espacios/que/romper",
            "नमस्ते क्षमा संस्कृत",
            // Characters of several code points where a cut at any end would split them.
            "x\U0001F1F2\U0001F1FD\U0001F1E6\U0001F1F7\U0001F1EA\U0001F1F8\U0001F1E8\U0001F1F1\U0001F1F5"
            "\U0001F1EAy",
            "a\U0001F469\u200D\U0001F469\u200D\U0001F467b",
            "xa\u0308\u0308\u0308\u0308y",
        };
        // Longer than a first measurement reaches, with and without spaces.
        t.push_back(times("Mañana será otro día, ", 40));
        t.push_back(times("東京の夜空に響く歌声", 30));
        t.push_back(times("\u0627\u0644\u0633\u0644\u0627\u0645\u0020", 60));
        // One character longer than a first measurement reaches (a letter under 300 marks).
        t.push_back("a e" + times("\u0301", 300) + " z");
        return t;
    }();
    return all;
}

void expectCutsAsTheReference(FontEngine& fonts, const char* engine) {
    for (const auto& text : texts()) {
        for (const double width : {0.0, 9.0, 37.5, 120.0, 333.0}) {
            for (const int limit : {1, 2, 3}) {
                for (const auto mode : {TruncationMode::tail, TruncationMode::head, TruncationMode::middle}) {
                    if (limit > 1 && mode != TruncationMode::tail) continue;
                    TextLayoutOptions o;
                    o.font = Font::system(13);
                    o.maxWidth = width;
                    o.lineLimit = limit;
                    o.truncation = mode;
                    const TextLayout layout = layoutText(fonts, text, o);
                    const Reference reference{fonts, ResolvedFont::of(o.font), width + 0.01};
                    std::vector<std::string> got;
                    for (const auto& line : layout.lines) got.push_back(line.text);
                    const auto expected = reference.cut(text, limit, mode);
                    EXPECT_EQ(got, expected) << engine << ": \"" << text << "\" in " << width << " points, "
                                             << limit << " lines, mode " << static_cast<int>(mode);
                    for (const auto& line : got)
                        EXPECT_TRUE(quorlix::testing::wellFormedLength(line)) << engine << ": " << line;
                }
            }
        }
    }
}

TEST(TextCut, MatchesMeasuringEveryShorterFormWithFixedMetrics) {
    fakes::FixedFontEngine fonts;
    expectCutsAsTheReference(fonts, "fixed");
}

TEST(TextCut, MatchesMeasuringEveryShorterFormWithTheRealFonts) {
    expectCutsAsTheReference(qt::QtFontEngine::shared(), "Qt");
}

// A text of 64 KiB is measured about as far as its two lines show, where the reference
// measured every shorter form of it.
TEST(TextCut, MeasuresAboutWhatTheBoxShows) {
    struct Recording final : FontEngine {
        fakes::FixedFontEngine fixed;
        std::size_t longest = 0;
        FontMetrics metrics(const ResolvedFont& f) override { return fixed.metrics(f); }
        double advance(const ResolvedFont& f, std::string_view s) override {
            longest = std::max(longest, s.size());
            return fixed.advance(f, s);
        }
        bool hasGlyph(const ResolvedFont&, char32_t) override { return true; }
    } fonts;
    TextLayoutOptions o;
    o.font = Font::system(10);
    o.maxWidth = 100;  // "palabra palabra pala…" (an "l" is half a letter)
    const std::string text = times("palabra ", 8192);
    for (const int limit : {1, 2}) {
        o.lineLimit = limit;
        const TextLayout layout = layoutText(fonts, text, o);
        ASSERT_EQ(layout.lines.size(), static_cast<std::size_t>(limit));
        EXPECT_EQ(layout.lines.back().text, "palabra palabra pala\u2026");
        EXPECT_LE(fonts.longest, 512u) << limit;
        EXPECT_LT(fonts.fixed.advanceCalls, 100) << limit;
        fonts.fixed.advanceCalls = 0;
    }
}

}  // namespace
}  // namespace quorlix::ui
