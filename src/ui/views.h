#pragma once
// The primitive views and the containers.
//
//     HStack({.alignment = VerticalAlignment::center, .spacing = 0}, {
//         Symbol("speaker.wave.2.fill").font(Font::system(13, FontWeight::semibold)),
//         Spacer(0),
//         Text("Salida de audio").lineLimit(1),
//     })
//
// Containers take a list of views; `Group`, `ForEach` and `If` add several (or no) children to
// the container they stand in, each with its own identity. An empty view takes no space and no
// spacing.

#include "platform/image.h"
#include "ui/color.h"
#include "ui/font.h"
#include "ui/preference.h"
#include "ui/shape.h"
#include "ui/view.h"

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace quorlix::ui {

class Text : public ViewModifiers<Text> {
public:
    explicit Text(std::string content) : content_(std::move(content)) {}
    View makeView() const;
    const std::string& content() const { return content_; }

private:
    std::string content_;
};

enum class SymbolRenderingMode { monochrome, multicolor };

// A symbol image by the platform's symbol name, drawn from the symbol catalogue's font, sized
// and weighted by the current font like text.
class Symbol : public ViewModifiers<Symbol> {
public:
    explicit Symbol(std::string name) : name_(std::move(name)) {}
    View makeView() const;
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

enum class Interpolation { none, low, medium, high };

// A decoded picture (the platform layer's image, shared, never copied). At its natural size, a
// point per pixel, unless made resizable; with `aspectRatio` it fits or fills.
class Image : public ViewModifiers<Image> {
public:
    explicit Image(platform::Image picture) : picture_(std::move(picture)) {}
    Image resizable() const {
        Image copy = *this;
        copy.resizable_ = true;
        return copy;
    }
    Image interpolation(Interpolation quality) const {
        Image copy = *this;
        copy.interpolation_ = quality;
        return copy;
    }
    View makeView() const;

private:
    platform::Image picture_;
    bool resizable_ = false;
    Interpolation interpolation_ = Interpolation::medium;
};

// Flexible space along the axis of the stack it stands in. Its minimum length defaults to the
// stack's spacing (the platform's "system spacing" where the stack has none of its own).
class Spacer : public ViewModifiers<Spacer> {
public:
    Spacer() = default;
    explicit Spacer(double minLength) : minLength_(minLength) {}
    View makeView() const;

private:
    std::optional<double> minLength_;
};

struct EmptyView : ViewModifiers<EmptyView> {
    View makeView() const { return View(); }
};

struct HStackOptions {
    VerticalAlignment alignment = VerticalAlignment::center;
    std::optional<double> spacing;  // absent: the platform's default spacing, 8
};
struct VStackOptions {
    HorizontalAlignment alignment = HorizontalAlignment::center;
    std::optional<double> spacing;
};
struct ZStackOptions {
    Alignment alignment = Alignment::center;
};

View HStack(const HStackOptions& options, Views children);
View HStack(Views children);
View VStack(const VStackOptions& options, Views children);
View VStack(Views children);
View ZStack(const ZStackOptions& options, Views children);
View ZStack(Views children);

// Several views standing as one: in a container, each becomes a child.
View Group(Views children);

// `then` when the condition holds, else `otherwise` (nothing by default). The two branches have
// different identities, so switching replaces the view rather than updating it.
View If(bool condition, View then, View otherwise = View());

namespace detail {
View forEach(std::vector<std::pair<std::uint64_t, View>> items);
}

// One view per item, identified by `id(item)`.
template <class Range, class IdFn, class Build>
View ForEach(const Range& items, IdFn id, Build build) {
    std::vector<std::pair<std::uint64_t, View>> out;
    for (const auto& item : items) {
        const auto key = id(item);
        out.emplace_back(std::hash<std::decay_t<decltype(key)>>{}(key), View(build(item)));
    }
    return detail::forEach(std::move(out));
}

// One view per index 0 ..< count, identified by the index.
template <class Build>
View ForEach(int count, Build build) {
    std::vector<std::pair<std::uint64_t, View>> out;
    for (int i = 0; i < count; ++i) out.emplace_back(static_cast<std::uint64_t>(i), View(build(i)));
    return detail::forEach(std::move(out));
}

// The items of a lazy stack: how many, each one's identity, and each one's view, made only
// when it shows.
struct LazyItems {
    std::size_t count = 0;
    std::function<std::uint64_t(std::size_t)> id;
    std::function<View(std::size_t)> view;
};

namespace detail {
View lazyStack(const HStackOptions& options, LazyItems items);

template <class Range, class IdFn, class Build>
LazyItems lazyItems(const Range& items, IdFn id, Build build) {
    using Item = std::decay_t<decltype(*std::begin(items))>;
    auto all = std::make_shared<const std::vector<Item>>(std::begin(items), std::end(items));
    return {all->size(),
            [all, id](std::size_t i) -> std::uint64_t {
                const auto key = id((*all)[i]);
                return std::hash<std::decay_t<decltype(key)>>{}(key);
            },
            [all, build](std::size_t i) { return View(build((*all)[i])); }};
}
}  // namespace detail

// A row of one view per item, identified by `id(item)`, as an HStack of a ForEach, for lists
// that may grow long: inside a scroll view only the items in its visible part are built, laid
// out and drawn, so a frame costs what shows, not what the list holds. Every item is taken to
// be as wide as the first one.
template <class Range, class IdFn, class Build>
View LazyHStack(const HStackOptions& options, const Range& items, IdFn id, Build build) {
    return detail::lazyStack(options, detail::lazyItems(items, id, build));
}

struct ScrollViewOptions {
    Axis axis = Axis::vertical;
    bool showsIndicators = true;
};
// Content offered unlimited length along the axis and clipped to the scroll view's bounds.
View ScrollView(const ScrollViewOptions& options, View content);

// Fills the space it is offered and builds its content from that space once it is known.
View GeometryReader(std::function<View(const GeometryProxy&)> content);

}  // namespace quorlix::ui
