#pragma once
// Colours (sRGB with opacity) and the styles that fill shapes and text: a colour, a linear or
// radial gradient, a material, or the hierarchical foreground (primary, secondary). Colours and
// gradients are views too: they fill the space they are offered.

#include "ui/view.h"

#include <variant>
#include <vector>

namespace quorlix::ui {

class Color : public ViewModifiers<Color> {
public:
    double r = 0, g = 0, b = 0, a = 1;  // sRGB components and opacity, 0...1

    constexpr Color() = default;
    constexpr Color(double red, double green, double blue, double alpha = 1) : r(red), g(green), b(blue), a(alpha) {}
    static constexpr Color sRGB(double red, double green, double blue, double alpha = 1) {
        return {red, green, blue, alpha};
    }
    static constexpr Color gray(double white, double alpha = 1) { return {white, white, white, alpha}; }

    // The same colour with its opacity multiplied (the platform's `Color.opacity`).
    constexpr Color opacity(double factor) const { return {r, g, b, a * factor}; }
    Color mix(const Color& other, double t) const;

    View makeView() const;
    friend constexpr bool operator==(const Color& x, const Color& y) {
        return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
    }

    // Fixed colours, and the system's named colours in their dark-appearance values: every
    // window of this system is drawn in the dark scheme.
    static const Color clear, black, white, gray50, red, orange, yellow, green, mint, teal, cyan, blue, indigo,
        purple, pink, brown, systemGray;
    // The application's own accent colour.
    static const Color quorlixAccent;
};
inline constexpr Color Color::clear{0, 0, 0, 0};
inline constexpr Color Color::black{0, 0, 0};
inline constexpr Color Color::white{1, 1, 1};
inline constexpr Color Color::gray50{0.5, 0.5, 0.5};
inline constexpr Color Color::red{1.0, 0.271, 0.227};
inline constexpr Color Color::orange{1.0, 0.624, 0.039};
inline constexpr Color Color::yellow{1.0, 0.839, 0.039};
inline constexpr Color Color::green{0.188, 0.820, 0.345};
inline constexpr Color Color::mint{0.388, 0.902, 0.886};
inline constexpr Color Color::teal{0.251, 0.784, 0.878};
inline constexpr Color Color::cyan{0.392, 0.824, 1.0};
inline constexpr Color Color::blue{0.039, 0.518, 1.0};
inline constexpr Color Color::indigo{0.369, 0.361, 0.902};
inline constexpr Color Color::purple{0.749, 0.353, 0.949};
inline constexpr Color Color::pink{1.0, 0.216, 0.373};
inline constexpr Color Color::brown{0.675, 0.557, 0.408};
inline constexpr Color Color::systemGray{0.557, 0.557, 0.576};
inline constexpr Color Color::quorlixAccent{0.04, 0.52, 1.0};

struct GradientStop {
    Color color;
    double location = 0;
    friend bool operator==(const GradientStop&, const GradientStop&) = default;
};

struct Gradient {
    std::vector<GradientStop> stops;
    Gradient() = default;
    Gradient(std::vector<GradientStop> s) : stops(std::move(s)) {}  // NOLINT
    // Colours spread evenly from 0 to 1.
    Gradient(std::initializer_list<Color> colors);
    friend bool operator==(const Gradient&, const Gradient&) = default;
};

struct LinearGradient : ViewModifiers<LinearGradient> {
    Gradient gradient;
    UnitPoint startPoint = UnitPoint::top;
    UnitPoint endPoint = UnitPoint::bottom;
    LinearGradient(Gradient g, UnitPoint start, UnitPoint end) : gradient(std::move(g)), startPoint(start), endPoint(end) {}
    View makeView() const;
    friend bool operator==(const LinearGradient& a, const LinearGradient& b) {
        return a.gradient == b.gradient && a.startPoint == b.startPoint && a.endPoint == b.endPoint;
    }
};

struct RadialGradient : ViewModifiers<RadialGradient> {
    Gradient gradient;
    UnitPoint center = UnitPoint::center;
    double startRadius = 0;
    double endRadius = 0;
    RadialGradient(Gradient g, UnitPoint c, double r0, double r1)
        : gradient(std::move(g)), center(c), startRadius(r0), endRadius(r1) {}
    View makeView() const;
    friend bool operator==(const RadialGradient& a, const RadialGradient& b) {
        return a.gradient == b.gradient && a.center == b.center && a.startRadius == b.startRadius &&
               a.endRadius == b.endRadius;
    }
};

// The platform's translucent materials. We cannot blur what lies behind a window, so each is
// drawn as a dark translucent fill of matching strength.
enum class Material { ultraThin, thin, regular, thick, ultraThick };

// The foreground's levels, resolved against the colour scheme.
enum class HierarchicalStyle { primary, secondary, tertiary, quaternary };

class ShapeStyle {
public:
    using Variant = std::variant<Color, LinearGradient, RadialGradient, Material, HierarchicalStyle>;
    ShapeStyle(Color c) : value_(c) {}                     // NOLINT: styles convert implicitly
    ShapeStyle(LinearGradient g) : value_(std::move(g)) {}  // NOLINT
    ShapeStyle(RadialGradient g) : value_(std::move(g)) {}  // NOLINT
    ShapeStyle(Material m) : value_(m) {}                  // NOLINT
    ShapeStyle(HierarchicalStyle h) : value_(h) {}         // NOLINT

    static ShapeStyle primary() { return HierarchicalStyle::primary; }
    static ShapeStyle secondary() { return HierarchicalStyle::secondary; }

    const Variant& value() const { return value_; }
    friend bool operator==(const ShapeStyle&, const ShapeStyle&) = default;

private:
    Variant value_;
};

// A style resolved for drawing: a colour, or a gradient in absolute coordinates.
struct Paint {
    enum class Kind { solid, linear, radial };
    Kind kind = Kind::solid;
    Color color;
    std::vector<GradientStop> stops;
    Point start, end;      // linear: the gradient's axis; radial: `start` is the centre
    double startRadius = 0, endRadius = 0;

    static Paint solid(Color c) { return {Kind::solid, c, {}, {}, {}, 0, 0}; }
    // The style for a drawing whose unit space is `bounds`.
    static Paint resolve(const ShapeStyle& style, const Rect& bounds, ColorScheme scheme);
    bool isInvisible() const;
    friend bool operator==(const Paint&, const Paint&) = default;
};

}  // namespace quorlix::ui
