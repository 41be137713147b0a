#pragma once
// Views: cheap, immutable values that describe what to draw. A view of our own is a struct
// with a `body(Context&)` that returns a tree of primitives, containers and modifiers:
//
//     struct Badge : ui::ViewModifiers<Badge> {
//         std::string text;
//         View body(Context& ctx) const {
//             return Text(text).font(Font::system(11, FontWeight::semibold))
//                 .padding(Edges::horizontal, 6).background(Capsule().fill(Color::white.opacity(0.1)));
//         }
//     };
//
// Any such struct converts to `View`; deriving from `ViewModifiers<Self>` (optional) lets its
// values take modifiers directly (`Badge{"3"}.padding(4)`). Every modifier returns a new View
// wrapping the old one, so the order of modifiers matters as on the platform.
//
// Each view in a rendered tree has an identity (ui::Identity): its structural position, its
// branch of a condition, its ForEach item id or an explicit `id`. View state and animation key
// on it.

#include "ui/block_pool.h"
#include "ui/environment.h"
#include "ui/types.h"

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace quorlix::ui {

class View;
class Context;
class Element;
class AnyShape;
class ShapeStyle;
class Color;
struct Font;
struct BuildScope;
enum class FontWeight;
enum class SymbolRenderingMode;
template <class T>
class PreferenceKey;
struct Anchor;
class Animation;
class AnyTransition;
struct ContentTransition;
class ViewTask;
struct DragGesture;
struct DropItem;
struct MenuItem;
template <class T>
class Binding;
enum class KeyboardShortcut;

// The description behind a View. Implementations live in the layer's sources. Nodes are
// always shared (a view that builds again holds on to its node).
class Node : public std::enable_shared_from_this<Node> {
public:
    virtual ~Node() = default;
    virtual std::unique_ptr<Element> build(const BuildScope& scope) const = 0;
    // Appends this view's elements to a container's children under the position `key`: one
    // for most views, none for an empty view, several for groups, ForEach and conditions.
    virtual void expand(const BuildScope& scope, std::uint64_t key, std::vector<std::unique_ptr<Element>>& out) const;
    virtual bool isEmpty() const { return false; }
};

// A view of our own: evaluates its body in a Context, each time the tree is built.
class CustomNodeBase : public Node {
public:
    std::unique_ptr<Element> build(const BuildScope& scope) const override;
    void expand(const BuildScope& scope, std::uint64_t key, std::vector<std::unique_ptr<Element>>& out) const override;

protected:
    virtual View evaluate(Context& ctx) const = 0;
    virtual std::size_t typeHash() const = 0;
};

template <class T>
concept HasBody = requires(const T& v, Context& c) {
    { v.body(c) } -> std::convertible_to<View>;
};
template <class T>
concept HasMakeView = requires(const T& v) {
    { v.makeView() } -> std::same_as<View>;
};

// Both fixed and flexible frames. Giving `width` or `height` fixes that length; giving any of
// the min/ideal/max lengths makes a flexible frame along that axis (as the platform's
// `frame(minWidth:idealWidth:maxWidth:...)`). `ui::infinity` stands for an unbounded maximum.
struct Frame {
    std::optional<double> width;
    std::optional<double> height;
    std::optional<double> minWidth;
    std::optional<double> idealWidth;
    std::optional<double> maxWidth;
    std::optional<double> minHeight;
    std::optional<double> idealHeight;
    std::optional<double> maxHeight;
    Alignment alignment = Alignment::center;
};

namespace detail {
// The hash of an explicit id; texts hash by their characters, whatever their type.
template <class T>
std::uint64_t idHash(const T& value) {
    if constexpr (std::is_convertible_v<const T&, std::string_view>) return std::hash<std::string_view>{}(value);
    else return std::hash<T>{}(value);
}
}  // namespace detail

struct Axis3 {
    double x = 0, y = 0, z = 0;
};

template <class Self>
class ViewModifiers {
public:
    // Layout
    View frame(const Frame& f) const;
    View padding(double length = 16) const;
    View padding(Edges edges, double length) const;
    View padding(const EdgeInsets& insets) const;
    View fixedSize() const;
    View fixedSize(bool horizontal, bool vertical) const;
    View aspectRatio(std::optional<double> ratio, ContentMode mode) const;
    View aspectRatio(ContentMode mode) const;
    View layoutPriority(double priority) const;
    // Takes all the space offered and puts the view's centre at (x, y) of that space.
    View position(double x, double y) const;
    View background(const View& content, Alignment alignment = Alignment::center) const;
    View overlay(const View& content, Alignment alignment = Alignment::center) const;
    // The platform's safe areas do not exist here; kept so views read as written.
    View ignoresSafeArea() const;

    // Drawing effects (they change what is drawn, not the layout)
    View offset(double x, double y) const;
    View opacity(double value) const;
    View clipShape(const AnyShape& shape, bool antialiased = true) const;
    View clipped() const;
    View mask(const View& content, Alignment alignment = Alignment::center) const;
    View contentShape(const AnyShape& shape) const;
    View rotationEffect(Angle angle, UnitPoint anchor = UnitPoint::center) const;
    View rotation3DEffect(Angle angle, Axis3 axis, UnitPoint anchor = UnitPoint::center, double anchorZ = 0,
                          double perspective = 1) const;
    View scaleEffect(double scale, UnitPoint anchor = UnitPoint::center) const;
    View scaleEffect(double x, double y, UnitPoint anchor = UnitPoint::center) const;
    View shadow(const Color& color, double radius, double x = 0, double y = 0) const;
    View blur(double radius, bool opaque = false) const;
    View saturation(double amount) const;
    // Draws the view (with its effects, a blur included) once into an image that is drawn
    // again while what the view draws stays the same, moved as a whole or not: for costly
    // content that rarely changes, such as a wallpaper backdrop or an artwork blurred at a
    // large radius behind the lock screen. Blurs and shadows of content are kept this way
    // anyway; this asks it for any subtree. What it draws is kept in a cache of bounded size,
    // so a view whose content changes every frame gains nothing by it.
    View cachedLayer() const;

    // Environment
    View foregroundStyle(const ShapeStyle& style) const;
    View font(const Font& font) const;
    View fontWeight(FontWeight weight) const;
    View monospacedDigit() const;
    View lineLimit(std::optional<int> lines) const;
    View minimumScaleFactor(double factor) const;
    View truncationMode(TruncationMode mode) const;
    View multilineTextAlignment(TextAlignment alignment) const;
    View colorScheme(ColorScheme scheme) const;
    View tint(const Color& color) const;
    View symbolRenderingMode(SymbolRenderingMode mode) const;
    template <class T, class U>
    View environment(const EnvironmentKey<T>& key, U&& value) const;
    template <class T>
    View environmentObject(T& object) const;

    // Identity and metadata
    template <class T>
    View id(const T& value) const;
    View help(std::string text) const;

    // Animation (transition.h, animation.h). `animation(a, value)` animates the changes below it
    // with `a` in every render where `value` differs from the last one (no animation for an
    // absent `a`); an inner one wins over an outer one.
    template <class T>
    View animation(const std::optional<Animation>& animation, const T& value) const;
    View transition(const AnyTransition& transition) const;
    View contentTransition(const ContentTransition& transition) const;

    // Life in the tree (lifecycle.h)
    View onAppear(std::function<void()> action) const;
    View onDisappear(std::function<void()> action) const;
    template <class T, class F>
    View onChange(const T& value, F action) const;
    template <class T>
    View task(const T& value, std::function<void(ViewTask&)> start) const;
    View task(std::function<void(ViewTask&)> start) const;
    template <class T, class F>
    View onPreferenceChange(const PreferenceKey<T>& key, F action) const;

    // Interaction (interaction.h)
    View onTapGesture(std::function<void()> action) const;
    View onTapGesture(int count, std::function<void()> action) const;
    View onHover(std::function<void(bool)> action) const;
    View gesture(const DragGesture& gesture) const;
    // Accepts drops of items of any of `types` (`UTType::fileURL`); `isTargeted` is set while
    // a drag of such items hovers; `perform` answers whether the drop was taken.
    View onDrop(std::vector<std::string> types, std::optional<Binding<bool>> isTargeted,
                std::function<bool(const std::vector<DropItem>&)> perform) const;
    // Lets the view be dragged out as the items `items()` makes when a drag starts.
    View onDrag(std::function<std::vector<DropItem>()> items) const;
    View contextMenu(std::vector<MenuItem> items) const;
    View disabled(bool disabled) const;
    template <class Style>
    View buttonStyle(Style style) const;
    // Marks the buttons inside as pressed by a key: Return for the window's default action.
    View keyboardShortcut(KeyboardShortcut shortcut) const;

    // Preferences
    template <class T, class U>
    View preference(const PreferenceKey<T>& key, U&& value) const;
    // `transform(const Anchor&)` makes the value from the view's bounds.
    template <class T, class F>
    View anchorPreference(const PreferenceKey<T>& key, F transform) const;
    // `content(const T&)` builds a view from the value the content publishes, once it is laid out.
    template <class T, class F>
    View overlayPreferenceValue(const PreferenceKey<T>& key, F content) const;
    template <class T, class F>
    View backgroundPreferenceValue(const PreferenceKey<T>& key, F content) const;

protected:
    View asView() const;
};

class View : public ViewModifiers<View> {
public:
    // The empty view: takes no space and draws nothing.
    View();
    explicit View(std::shared_ptr<const Node> node) : node_(std::move(node)) {}

    template <class T>
        requires(HasBody<T> && !std::derived_from<T, View> && !HasMakeView<T>)
    View(T value);  // NOLINT: any view struct is a View

    template <class T>
        requires(HasMakeView<T> && !std::derived_from<T, View>)
    View(const T& value) : View(value.makeView()) {}  // NOLINT: primitives are Views

    const std::shared_ptr<const Node>& node() const { return node_; }
    bool isEmpty() const { return node_->isEmpty(); }

private:
    std::shared_ptr<const Node> node_;
};

using Views = std::vector<View>;

template <class T>
class CustomNode final : public CustomNodeBase {
public:
    explicit CustomNode(T value) : value_(std::move(value)) {}

protected:
    View evaluate(Context& ctx) const override { return value_.body(ctx); }
    std::size_t typeHash() const override { return typeid(T).hash_code(); }

private:
    T value_;
};

template <class T>
requires(HasBody<T> && !std::derived_from<T, View> && !HasMakeView<T>) View::View(T value)
    : node_(blocks::makeShared<CustomNode<T>>(std::move(value))) {}

// The non-template halves of the modifiers (modifiers.cpp).
namespace modifier {
View frame(View v, const Frame& f);
View padding(View v, const EdgeInsets& insets);
View fixedSize(View v, bool horizontal, bool vertical);
View aspectRatio(View v, std::optional<double> ratio, ContentMode mode);
View layoutPriority(View v, double priority);
View position(View v, double x, double y);
View background(View v, View content, Alignment alignment);
View overlay(View v, View content, Alignment alignment);
View offset(View v, double x, double y);
View opacity(View v, double value);
View clipShape(View v, const AnyShape& shape, bool antialiased);
View clipped(View v);
View mask(View v, View content, Alignment alignment);
View contentShape(View v, const AnyShape& shape);
View rotationEffect(View v, Angle angle, UnitPoint anchor);
View rotation3DEffect(View v, Angle angle, Axis3 axis, UnitPoint anchor, double anchorZ, double perspective);
View scaleEffect(View v, double x, double y, UnitPoint anchor);
View shadow(View v, const Color& color, double radius, double x, double y);
View blur(View v, double radius, bool opaque);
View saturation(View v, double amount);
View cachedLayer(View v);
View foregroundStyle(View v, const ShapeStyle& style);
View font(View v, const Font& font);
View fontWeight(View v, FontWeight weight);
View monospacedDigit(View v);
View lineLimit(View v, std::optional<int> lines);
View minimumScaleFactor(View v, double factor);
View truncationMode(View v, TruncationMode mode);
View multilineTextAlignment(View v, TextAlignment alignment);
View colorScheme(View v, ColorScheme scheme);
View tint(View v, const Color& color);
View symbolRenderingMode(View v, SymbolRenderingMode mode);
View environment(View v, std::function<EnvironmentValues(const EnvironmentValues&)> write);
View id(View v, std::uint64_t hash);
View help(View v, std::string text);
View transition(View v, const AnyTransition& transition);
View contentTransition(View v, const ContentTransition& transition);
}  // namespace modifier

template <class Self>
View ViewModifiers<Self>::asView() const {
    return View(static_cast<const Self&>(*this));
}

template <class Self>
View ViewModifiers<Self>::frame(const Frame& f) const {
    return modifier::frame(asView(), f);
}
template <class Self>
View ViewModifiers<Self>::padding(double length) const {
    return modifier::padding(asView(), {length, length, length, length});
}
template <class Self>
View ViewModifiers<Self>::padding(Edges e, double l) const {
    return modifier::padding(asView(), {e.contains(Edge::top) ? l : 0, e.contains(Edge::leading) ? l : 0,
                                        e.contains(Edge::bottom) ? l : 0, e.contains(Edge::trailing) ? l : 0});
}
template <class Self>
View ViewModifiers<Self>::padding(const EdgeInsets& insets) const {
    return modifier::padding(asView(), insets);
}
template <class Self>
View ViewModifiers<Self>::fixedSize() const {
    return modifier::fixedSize(asView(), true, true);
}
template <class Self>
View ViewModifiers<Self>::fixedSize(bool h, bool v) const {
    return modifier::fixedSize(asView(), h, v);
}
template <class Self>
View ViewModifiers<Self>::aspectRatio(std::optional<double> ratio, ContentMode mode) const {
    return modifier::aspectRatio(asView(), ratio, mode);
}
template <class Self>
View ViewModifiers<Self>::aspectRatio(ContentMode mode) const {
    return modifier::aspectRatio(asView(), std::nullopt, mode);
}
template <class Self>
View ViewModifiers<Self>::layoutPriority(double p) const {
    return modifier::layoutPriority(asView(), p);
}
template <class Self>
View ViewModifiers<Self>::position(double x, double y) const {
    return modifier::position(asView(), x, y);
}
template <class Self>
View ViewModifiers<Self>::background(const View& content, Alignment a) const {
    return modifier::background(asView(), content, a);
}
template <class Self>
View ViewModifiers<Self>::overlay(const View& content, Alignment a) const {
    return modifier::overlay(asView(), content, a);
}
template <class Self>
View ViewModifiers<Self>::ignoresSafeArea() const {
    return asView();
}
template <class Self>
View ViewModifiers<Self>::offset(double x, double y) const {
    return modifier::offset(asView(), x, y);
}
template <class Self>
View ViewModifiers<Self>::opacity(double value) const {
    return modifier::opacity(asView(), value);
}
template <class Self>
View ViewModifiers<Self>::clipShape(const AnyShape& shape, bool antialiased) const {
    return modifier::clipShape(asView(), shape, antialiased);
}
template <class Self>
View ViewModifiers<Self>::clipped() const {
    return modifier::clipped(asView());
}
template <class Self>
View ViewModifiers<Self>::mask(const View& content, Alignment a) const {
    return modifier::mask(asView(), content, a);
}
template <class Self>
View ViewModifiers<Self>::contentShape(const AnyShape& shape) const {
    return modifier::contentShape(asView(), shape);
}
template <class Self>
View ViewModifiers<Self>::rotationEffect(Angle angle, UnitPoint anchor) const {
    return modifier::rotationEffect(asView(), angle, anchor);
}
template <class Self>
View ViewModifiers<Self>::rotation3DEffect(Angle angle, Axis3 axis, UnitPoint anchor, double anchorZ,
                                           double perspective) const {
    return modifier::rotation3DEffect(asView(), angle, axis, anchor, anchorZ, perspective);
}
template <class Self>
View ViewModifiers<Self>::scaleEffect(double s, UnitPoint anchor) const {
    return modifier::scaleEffect(asView(), s, s, anchor);
}
template <class Self>
View ViewModifiers<Self>::scaleEffect(double x, double y, UnitPoint anchor) const {
    return modifier::scaleEffect(asView(), x, y, anchor);
}
template <class Self>
View ViewModifiers<Self>::shadow(const Color& color, double radius, double x, double y) const {
    return modifier::shadow(asView(), color, radius, x, y);
}
template <class Self>
View ViewModifiers<Self>::blur(double radius, bool opaque) const {
    return modifier::blur(asView(), radius, opaque);
}
template <class Self>
View ViewModifiers<Self>::saturation(double amount) const {
    return modifier::saturation(asView(), amount);
}
template <class Self>
View ViewModifiers<Self>::cachedLayer() const {
    return modifier::cachedLayer(asView());
}
template <class Self>
View ViewModifiers<Self>::foregroundStyle(const ShapeStyle& style) const {
    return modifier::foregroundStyle(asView(), style);
}
template <class Self>
View ViewModifiers<Self>::font(const Font& f) const {
    return modifier::font(asView(), f);
}
template <class Self>
View ViewModifiers<Self>::fontWeight(FontWeight w) const {
    return modifier::fontWeight(asView(), w);
}
template <class Self>
View ViewModifiers<Self>::monospacedDigit() const {
    return modifier::monospacedDigit(asView());
}
template <class Self>
View ViewModifiers<Self>::lineLimit(std::optional<int> lines) const {
    return modifier::lineLimit(asView(), lines);
}
template <class Self>
View ViewModifiers<Self>::minimumScaleFactor(double f) const {
    return modifier::minimumScaleFactor(asView(), f);
}
template <class Self>
View ViewModifiers<Self>::truncationMode(TruncationMode m) const {
    return modifier::truncationMode(asView(), m);
}
template <class Self>
View ViewModifiers<Self>::multilineTextAlignment(TextAlignment a) const {
    return modifier::multilineTextAlignment(asView(), a);
}
template <class Self>
View ViewModifiers<Self>::colorScheme(ColorScheme s) const {
    return modifier::colorScheme(asView(), s);
}
template <class Self>
View ViewModifiers<Self>::tint(const Color& c) const {
    return modifier::tint(asView(), c);
}
template <class Self>
View ViewModifiers<Self>::symbolRenderingMode(SymbolRenderingMode m) const {
    return modifier::symbolRenderingMode(asView(), m);
}
template <class Self>
template <class T, class U>
View ViewModifiers<Self>::environment(const EnvironmentKey<T>& key, U&& value) const {
    return modifier::environment(asView(), [&key, v = T(std::forward<U>(value))](const EnvironmentValues& env) {
        return env.setting(key, v);
    });
}
template <class Self>
template <class T>
View ViewModifiers<Self>::environmentObject(T& object) const {
    return modifier::environment(asView(), [&object](const EnvironmentValues& env) { return env.settingObject(object); });
}
template <class Self>
template <class T>
View ViewModifiers<Self>::id(const T& value) const {
    return modifier::id(asView(), detail::idHash(value));
}
template <class Self>
View ViewModifiers<Self>::help(std::string text) const {
    return modifier::help(asView(), std::move(text));
}
template <class Self>
View ViewModifiers<Self>::transition(const AnyTransition& t) const {
    return modifier::transition(asView(), t);
}
template <class Self>
View ViewModifiers<Self>::contentTransition(const ContentTransition& t) const {
    return modifier::contentTransition(asView(), t);
}

}  // namespace quorlix::ui

// The definitions of the modifiers declared above that need more of the layer.
#include "ui/interaction.h"
#include "ui/lifecycle.h"
#include "ui/preference.h"
#include "ui/animation_modifier.h"
