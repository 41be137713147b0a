// The symbol catalogue: every symbol name used anywhere in src/ has a glyph of the icon font.

#include "qt_test_support.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/symbol_catalog.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include <unistd.h>

namespace quorlix::ui {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool looksLikeFileOrDomain(const std::string& name) {
    static const std::set<std::string> extensions{"json", "wav", "png", "plist", "toml", "txt", "log", "lrc", "dmg",
                                                  "app",  "sh",  "svg", "ttf",   "otf",  "cpp", "h",   "md",  "desktop",
                                                  "com",  "org", "net", "io",    "es"};
    const auto first = name.substr(0, name.find('.'));
    const auto last = name.substr(name.rfind('.') + 1);
    return first == "com" || first == "org" || first == "net" || first == "io" || extensions.count(last) > 0;
}

// Symbol names in the sources: arguments of Symbol(...), values given to something named
// "symbol", names returned by functions named for symbols, and dotted lower-case names in the
// platform's symbol form that end in one of its variant words ("bolt.fill",
// "speaker.slash.fill", "checkmark.circle"), wherever they stand.
std::set<std::string> symbolNamesInSources(const fs::path& src, std::vector<std::string>& where) {
    static const std::regex call(R"re(\bSymbol\(\s*"([^"]*)")re");
    static const std::regex named(R"re([sS]ymbol\w*\s*(?:=|\(|\{|,)\s*"([a-z0-9.]+)")re");
    static const std::regex literal(R"re("([a-z][a-z0-9]*(?:\.[a-z0-9]+)*\.(?:fill|slash|circle|square|badge))")re");
    static const char* const variantEnds[] = {".fill\"", ".slash\"", ".circle\"", ".square\"", ".badge\""};
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        if (entry.path().filename() == "symbol_catalog.cpp") continue;
        const std::string text = readAll(entry.path());
        auto collect = [&](const std::regex& re, bool filter) {
            for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
                const std::string name = (*it)[1];
                if (name.empty() || (filter && looksLikeFileOrDomain(name))) continue;
                if (names.insert(name).second) where.push_back(name + " in " + entry.path().string());
            }
        };
        // Each pattern needs a piece of text that most files lack: a file without it has nothing
        // the pattern could match, and is spared the slow regular expression.
        const bool literals =
            std::any_of(std::begin(variantEnds), std::end(variantEnds),
                        [&](const char* end) { return text.find(end) != std::string::npos; });
        if (literals) collect(literal, true);
        if (text.find("ymbol") == std::string::npos) continue;
        collect(call, false);
        collect(named, true);
        // Bodies of functions named for symbols: what they return.
        static const std::regex function(R"re(\b\w*[sS]ymbol\w*\s*\([^)]*\)\s*(?:const\s*)?\{)re");
        static const std::regex returned(R"re((?:return|\?|:)\s*"([a-z][a-z0-9]*(?:\.[a-z0-9]+)*)")re");
        for (std::sregex_iterator it(text.begin(), text.end(), function), end; it != end; ++it) {
            std::size_t pos = static_cast<std::size_t>(it->position() + it->length());
            int depth = 1;
            const std::size_t start = pos;
            while (pos < text.size() && depth > 0) depth += text[pos] == '{' ? 1 : text[pos] == '}' ? -1 : 0, ++pos;
            const std::string body = text.substr(start, pos - start);
            for (std::sregex_iterator r(body.begin(), body.end(), returned), e; r != e; ++r) {
                const std::string name = (*r)[1];
                if (names.insert(name).second) where.push_back(name + " in " + entry.path().string());
            }
        }
    }
    return names;
}

TEST(SymbolCatalog, IsSortedWithoutDuplicates) {
    const auto catalog = symbolCatalog();
    ASSERT_FALSE(catalog.empty());
    for (std::size_t i = 1; i < catalog.size(); ++i) EXPECT_LT(catalog[i - 1].name, catalog[i].name);
    EXPECT_NE(findSymbol("speaker.wave.2.fill"), nullptr);
    EXPECT_EQ(findSymbol("speaker.wave.2.fil"), nullptr);
}

TEST(SymbolCatalog, EveryEntryIsAGlyphOfTheIconFontUnderItsLigatureName) {
    qt::QtFontEngine& fonts = qt::QtFontEngine::shared();
    const ResolvedFont icons{Typeface::symbols, 400, 24};
    // The font's own table of ligature names and code points, where the package ships it.
    const fs::path table = "/usr/share/fonts-material-design-icons-iconfont/scss/_variables.scss";
    const std::string codepoints = fs::exists(table) ? readAll(table) : std::string();
    std::vector<SymbolGlyph> all(symbolCatalog().begin(), symbolCatalog().end());
    all.push_back(missingSymbol());
    for (const auto& g : all) {
        EXPECT_TRUE(fonts.hasGlyph(icons, g.codePoint)) << g.name;
        if (codepoints.empty()) continue;
        char expected[64];
        std::snprintf(expected, sizeof expected, "\"%.*s\": %x,", static_cast<int>(g.ligature.size()), g.ligature.data(),
                      static_cast<unsigned>(g.codePoint));
        EXPECT_NE(codepoints.find(expected), std::string::npos) << g.name << " is not " << expected;
    }
}

TEST(SymbolCatalog, TheSourceScanFindsSymbolNamesAndSkipsKeysAndFiles) {
    const fs::path dir = fs::temp_directory_path() / ("symbol-scan-" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
    std::ofstream(dir / "sub" / "views.cpp") << R"(
        View a() { return Symbol("gearshape.fill"); }
        std::string Output::symbol() const {
            if (name.find("pods") != std::string::npos) return "airpodspro";
            return playing ? "pause.fill" : "play.fill";
        }
        Item item{.symbol = "timer", .title = "Temporizador"};
        const char* key = "tray.paths";
        const char* file = "com.halvik.quorlix.json";
        const char* style = "speaker.slash.fill";
    )";
    std::vector<std::string> where;
    const auto names = symbolNamesInSources(dir, where);
    fs::remove_all(dir);
    EXPECT_EQ(names, (std::set<std::string>{"gearshape.fill", "airpodspro", "pause.fill", "play.fill", "timer",
                                            "speaker.slash.fill"}));
}

TEST(SymbolCatalog, CoversEverySymbolNameUsedInTheSources) {
    std::vector<std::string> where;
    const auto names = symbolNamesInSources(fs::path(QUORLIX_SOURCE_DIR) / "src", where);
    EXPECT_FALSE(names.empty());
    for (const auto& w : where) {
        const std::string name = w.substr(0, w.find(' '));
        EXPECT_NE(findSymbol(name), nullptr) << "no glyph for the symbol " << w;
    }
}

}  // namespace
}  // namespace quorlix::ui
