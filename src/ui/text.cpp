// Text, symbols and pictures.

#include "platform/grapheme_clusters.h"
#include "ui/block_pool.h"
#include "ui/element.h"
#include "ui/environment_keys.h"
#include "ui/symbol_catalog.h"
#include "ui/text_layout.h"
#include "ui/views.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

class TextElement final : public Element {
public:
    TextElement(const BuildScope& s, std::string text) : Element(s, "Text"), text_(std::move(text)) {
        const EnvironmentValues& e = s.environment;
        options_.font = env::currentFont(e);
        options_.lineLimit = e[env::lineLimit];
        options_.minimumScaleFactor = e[env::minimumScaleFactor];
        options_.truncation = e[env::truncationMode];
        options_.alignment = e[env::multilineTextAlignment];
        style_ = env::currentForeground(e);
        scheme_ = e[env::colorScheme];
        transition_ = e[env::contentTransition];
    }

    std::optional<double> baseline(const ProposedSize& p, bool last) override {
        const TextLayout& l = layout(p);
        if (l.lines.empty()) return std::nullopt;
        return last ? l.lines.back().baseline : l.lines.front().baseline;
    }
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<TextElement>(old);
        return text_ == o.text_ && options_ == o.options_ && style_ == o.style_ && scheme_ == o.scheme_ &&
               transition_ == o.transition_;
    }
    void takeWorkOf(Element& old) override {
        auto& o = static_cast<TextElement&>(old);
        natural_ = std::move(o.natural_);
        cache_ = std::move(o.cache_);
    }

protected:
    Size measure(const ProposedSize& p) override { return layout(p).size; }

    void decorate(DisplayItem& item, Point origin) const override {
        const TextLayout& l = layout(ProposedSize(frame.size));
        item.kind = DisplayItem::Kind::text;
        item.text = text_;
        item.truncated = l.truncated;
        item.textScale = l.scale;
        // Lines are laid out in the text's own width; the text sits at the top of its frame.
        item.runs = l.runs(services->fonts, origin, frame.width(), options_.alignment,
                           options_.font.monospacedDigits);
        item.textPaint = Paint::resolve(style_, item.frame, scheme_);
        item.contentTransition = transition_;
        // Rolling digits move one character at a time.
        if (transition_.kind == ContentTransition::Kind::numericText)
            item.runs = splitIntoCharacters(item.runs);
    }

private:
    // Laid out text for the last few proposals (stacks ask several times).
    const TextLayout& layout(const ProposedSize& p) const {
        // A text on one line, offered at least its own width, lays out as it does unbounded,
        // whatever the height offered (it keeps at least a line).
        if (!natural_) {
            TextLayoutOptions o = options_;
            o.maxWidth.reset();
            o.maxHeight.reset();
            natural_ = services->textLayouts ? services->textLayouts->layout(text_, o)
                                             : layoutText(services->fonts, text_, o);
        }
        if (natural_->lines.size() == 1 && natural_->scale == 1 && !natural_->truncated &&
            (!p.width || !std::isfinite(*p.width) || *p.width >= natural_->size.width))
            return *natural_;
        for (const auto& [proposal, result] : cache_)
            if (proposal == p) return result;
        TextLayoutOptions o = options_;
        o.maxWidth = p.width;
        o.maxHeight = p.height;
        if (cache_.size() >= 6) cache_.erase(cache_.begin());
        cache_.emplace_back(p, services->textLayouts ? services->textLayouts->layout(text_, o)
                                                     : layoutText(services->fonts, text_, o));
        return cache_.back().second;
    }

    std::vector<TextRun> splitIntoCharacters(const std::vector<TextRun>& runs) const {
        std::vector<TextRun> out;
        for (const auto& r : runs) {
            double x = r.origin.x;
            platform::GraphemeClusters characters(r.text);
            for (std::size_t i = 0; i < r.text.size();) {
                const std::size_t next = characters.following(i);
                TextRun part = r;
                part.text = r.text.substr(i, next - i);
                part.origin.x = x;
                part.width = services->fonts.advance(r.font, part.text);
                part.ink = services->fonts.inkBounds(r.font, part.text);
                x += part.width;
                out.push_back(std::move(part));
                i = next;
            }
        }
        return out;
    }

    std::string text_;
    TextLayoutOptions options_;
    ShapeStyle style_ = Color::black;
    ColorScheme scheme_ = ColorScheme::light;
    ContentTransition transition_;
    mutable std::optional<TextLayout> natural_;
    mutable std::vector<std::pair<ProposedSize, TextLayout>> cache_;
};

class TextNode final : public Node {
public:
    explicit TextNode(std::string text) : text_(std::move(text)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return std::make_unique<TextElement>(scope, text_);
    }

private:
    std::string text_;
};

std::string utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// Symbol glyphs are drawn on an em of 1.25 × the font size; the box a symbol takes in layout is
// the part of that em the icon artwork covers (20 of its 24 units), centred.
constexpr double symbolEm = 1.25;
constexpr double symbolBox = symbolEm * 20.0 / 24.0;

// The icon font has one weight; heavier weights thicken the outline.
double emboldening(FontWeight w, double size) {
    const int steps = static_cast<int>(w) - static_cast<int>(FontWeight::regular);
    return steps > 0 ? size * 0.022 * steps : 0;
}

class SymbolElement final : public Element {
public:
    SymbolElement(const BuildScope& s, std::string name) : Element(s, "Symbol"), name_(std::move(name)) {
        const EnvironmentValues& e = s.environment;
        font_ = env::currentFont(e);
        glyph_ = findSymbol(name_);
        style_ = env::currentForeground(e);
        if (glyph_ && glyph_->multicolor && e[env::symbolRenderingMode] == SymbolRenderingMode::multicolor)
            style_ = *glyph_->multicolor;
        scheme_ = e[env::colorScheme];
        transition_ = e[env::contentTransition];
    }

    std::optional<double> baseline(const ProposedSize&, bool) override { return side() * 0.84; }
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<SymbolElement>(old);
        return name_ == o.name_ && transition_ == o.transition_ && font_ == o.font_ && glyph_ == o.glyph_ &&
               style_ == o.style_ && scheme_ == o.scheme_;
    }

protected:
    double side() const { return font_.size * symbolBox; }
    Size measure(const ProposedSize&) override { return {side(), side()}; }
    void decorate(DisplayItem& item, Point) const override {
        const SymbolGlyph& g = glyph_ ? *glyph_ : missingSymbol();
        item.kind = DisplayItem::Kind::symbol;
        item.symbol = name_;
        item.symbolMissing = glyph_ == nullptr;
        const double em = font_.size * symbolEm;
        const double inset = (em - side()) / 2;
        // Centred in the frame (the frame can be larger than the symbol when stretched).
        const double x = item.frame.midX() - side() / 2 - inset;
        const double y = item.frame.midY() - side() / 2 - inset + em;
        const ResolvedFont face{Typeface::symbols, 400, em};
        const std::string text = utf8(g.codePoint);
        item.runs.push_back({face,
                             text,
                             {x, y},
                             em,
                             emboldening(font_.weight, font_.size),
                             services ? std::optional(services->fonts.inkBounds(face, text)) : std::nullopt});
        item.textPaint = Paint::resolve(style_, item.frame, scheme_);
        item.contentTransition = transition_;
    }

private:
    std::string name_;
    ContentTransition transition_;
    Font font_;
    const SymbolGlyph* glyph_ = nullptr;
    ShapeStyle style_ = Color::black;
    ColorScheme scheme_ = ColorScheme::light;
};

class SymbolNode final : public Node {
public:
    explicit SymbolNode(std::string name) : name_(std::move(name)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return std::make_unique<SymbolElement>(scope, name_);
    }

private:
    std::string name_;
};

class ImageElement final : public Element {
public:
    ImageElement(const BuildScope& s, platform::Image picture, bool resizable, Interpolation quality)
        : Element(s, "Image"), picture_(std::move(picture)), resizable_(resizable), quality_(quality) {}
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<ImageElement>(old);
        return resizable_ == o.resizable_ && quality_ == o.quality_ && picture_ == o.picture_;
    }

protected:
    Size natural() const {
        if (picture_.isEmpty()) return {};
        return {static_cast<double>(picture_.width), static_cast<double>(picture_.height)};
    }
    Size measure(const ProposedSize& p) override {
        return resizable_ ? p.replacingUnspecified(natural()) : natural();
    }
    void decorate(DisplayItem& item, Point) const override {
        item.kind = DisplayItem::Kind::image;
        item.image = picture_;
        item.imageRect = item.frame;
        item.interpolation = static_cast<int>(quality_);
    }

private:
    platform::Image picture_;
    bool resizable_;
    Interpolation quality_;
};

class ImageNode final : public Node {
public:
    ImageNode(platform::Image picture, bool resizable, Interpolation quality)
        : picture_(std::move(picture)), resizable_(resizable), quality_(quality) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return std::make_unique<ImageElement>(scope, picture_, resizable_, quality_);
    }

private:
    platform::Image picture_;
    bool resizable_;
    Interpolation quality_;
};

}  // namespace

View Text::makeView() const { return View(blocks::makeShared<TextNode>(content_)); }
View Symbol::makeView() const { return View(blocks::makeShared<SymbolNode>(name_)); }
View Image::makeView() const {
    return View(blocks::makeShared<ImageNode>(picture_, resizable_, interpolation_));
}

}  // namespace quorlix::ui
