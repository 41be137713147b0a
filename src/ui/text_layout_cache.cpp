#include "ui/text_layout.h"

#include <cmath>

namespace quorlix::ui {

TextLayoutCache::TextLayoutCache(FontEngine& engine, std::size_t byteLimit)
    : engine_(engine), layouts_(byteLimit, [](const std::string& key, const TextLayout& layout) {
          std::size_t bytes = 2 * key.size() + sizeof(TextLayout);
          for (const auto& line : layout.lines) bytes += sizeof(TextLine) + line.text.size();
          return bytes;
      }) {}

const TextLayout& TextLayoutCache::layout(std::string_view text, const TextLayoutOptions& o) {
    std::string key;
    key.reserve(text.size() + 96);
    const Font& f = o.font;
    auto length = [](const std::optional<double>& v) { return v ? *v : -1.0; };
    // A height only limits the lines: heights that allow as many lines (at a size that does not
    // shrink) lay out alike. Stacks propose a text several heights at the width they probe.
    double height = length(o.maxHeight);
    if (o.maxHeight && std::isfinite(*o.maxHeight) && o.minimumScaleFactor >= 1)
        if (const auto lines = linesAllowed(o, engine_.metrics(ResolvedFont::of(f)))) height = -2.0 - *lines;
    for (const double v :
         {f.size, static_cast<double>(f.weight), static_cast<double>(f.design),
          static_cast<double>(f.monospacedDigits), static_cast<double>(o.lineLimit.value_or(-1)),
          o.minimumScaleFactor, static_cast<double>(o.truncation), static_cast<double>(o.alignment),
          length(o.maxWidth), height})
        key.append(reinterpret_cast<const char*>(&v), sizeof v);
    key.append(text);
    if (const TextLayout* kept = layouts_.find(key)) return *kept;
    return layouts_.insert(std::move(key), layoutText(engine_, text, o));
}

}  // namespace quorlix::ui
