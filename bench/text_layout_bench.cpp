// Laying out a text cut to its line limit, in the box the island gives a player's title (one
// line) and a lyric line (two): a text of 100 bytes and one of 64 KB, which a player may hand
// over as its title, in Spanish or in several scripts. Only what the box can show is measured,
// so the long text costs a small multiple of the short one.

#include "ui/qt/qt_canvas.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/text_layout.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

using namespace quorlix::ui;

// Words with accents, or in several scripts with emoji (laid out by Qt, with fonts of the
// system's), `bytes` long (give or take a code point). Each begins with seven ASCII bytes.
std::string words(std::size_t bytes, bool scripts = false) {
    const std::string sentence = scripts ? "Pista 1 夜に駆ける 사랑해 שלום مرحبا नमस्ते ✨💔 Ελλάδα "
                                         : "Canción de la mañana que suena en el salón, óyela otra vez ";
    std::string out;
    while (out.size() + sentence.size() <= bytes) out += sentence;
    for (const char c : sentence) {
        if (out.size() >= bytes && (static_cast<unsigned char>(c) & 0xC0) != 0x80) break;
        out += c;
    }
    return out;
}

// The first figures of `text` counting on: another text each time, as the engine keeps the
// advances of texts it measured.
void renumber(std::string& text, unsigned& counter) {
    char figures[8];
    std::snprintf(figures, sizeof figures, "%07u", counter++ % 10000000u);
    text.replace(0, 7, figures);
}

void BM_LineLimitedText(benchmark::State& state) {
    qt::ensureGuiApplication();
    FontEngine& fonts = qt::QtFontEngine::shared();
    std::string text = words(static_cast<std::size_t>(state.range(0)), state.range(2) != 0);
    TextLayoutOptions o;
    o.font = Font::system(13, FontWeight::semibold);
    o.maxWidth = 220;
    o.lineLimit = static_cast<int>(state.range(1));
    static unsigned counter = 0;  // on from the last repetition: its texts are remembered
    for (auto _ : state) {
        renumber(text, counter);
        benchmark::DoNotOptimize(layoutText(fonts, text, o).lines.size());
    }
}
BENCHMARK(BM_LineLimitedText)
    ->ArgNames({"bytes", "lines", "scripts"})
    ->Args({100, 1, 0})
    ->Args({64 << 10, 1, 0})
    ->Args({100, 2, 0})
    ->Args({64 << 10, 2, 0})
    ->Args({100, 1, 1})
    ->Args({64 << 10, 1, 1})
    ->Args({64 << 10, 2, 1})
    ->Unit(benchmark::kMicrosecond);

// The same title as a view in its frame: the view also takes the text's width unbounded (one
// measurement of all of it) for the stacks that ask.
void BM_LineLimitedTextView(benchmark::State& state) {
    qt::ensureGuiApplication();
    ViewGraph graph(qt::QtFontEngine::shared());
    std::string text = words(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    static unsigned counter = 0;  // on from the last repetition: its texts are remembered
    for (auto _ : state) {
        renumber(text, counter);
        graph.update(
            Text(text).font(Font::system(13, FontWeight::semibold)).lineLimit(1).frame({.width = 220}),
            {400, 40});
        benchmark::DoNotOptimize(graph.displayList().count());
    }
}
BENCHMARK(BM_LineLimitedTextView)
    ->ArgNames({"bytes", "scripts"})
    ->Args({100, 0})
    ->Args({64 << 10, 0})
    ->Args({100, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
