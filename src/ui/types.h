#pragma once
// Small value types of the view layer: angles, unit points, alignments, edges, proposals and
// view identity. Geometry itself (Point, Size, Rect, EdgeInsets) comes from the platform layer.
// Coordinates are top-left, y-down, in points.

#include "platform/geometry.h"

#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>

namespace quorlix::ui {

inline constexpr double infinity = std::numeric_limits<double>::infinity();

struct Angle {
    double radians = 0;
    static constexpr Angle degrees(double d) { return {d * std::numbers::pi / 180.0}; }
    friend constexpr bool operator==(const Angle&, const Angle&) = default;
};

// A point in a view's bounds as fractions of its size: (0, 0) top leading, (1, 1) bottom trailing.
struct UnitPoint {
    double x = 0.5;
    double y = 0.5;
    Point in(const Rect& r) const { return {r.minX() + x * r.width(), r.minY() + y * r.height()}; }
    friend constexpr bool operator==(const UnitPoint&, const UnitPoint&) = default;

    static const UnitPoint zero, center, top, bottom, leading, trailing, topLeading, topTrailing,
        bottomLeading, bottomTrailing;
};
inline constexpr UnitPoint UnitPoint::zero{0, 0};
inline constexpr UnitPoint UnitPoint::center{0.5, 0.5};
inline constexpr UnitPoint UnitPoint::top{0.5, 0};
inline constexpr UnitPoint UnitPoint::bottom{0.5, 1};
inline constexpr UnitPoint UnitPoint::leading{0, 0.5};
inline constexpr UnitPoint UnitPoint::trailing{1, 0.5};
inline constexpr UnitPoint UnitPoint::topLeading{0, 0};
inline constexpr UnitPoint UnitPoint::topTrailing{1, 0};
inline constexpr UnitPoint UnitPoint::bottomLeading{0, 1};
inline constexpr UnitPoint UnitPoint::bottomTrailing{1, 1};

enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom, firstTextBaseline, lastTextBaseline };

struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center;
    VerticalAlignment vertical = VerticalAlignment::center;
    friend constexpr bool operator==(const Alignment&, const Alignment&) = default;

    static const Alignment center, top, bottom, leading, trailing, topLeading, topTrailing, bottomLeading,
        bottomTrailing;
};
inline constexpr Alignment Alignment::center{};
inline constexpr Alignment Alignment::top{HorizontalAlignment::center, VerticalAlignment::top};
inline constexpr Alignment Alignment::bottom{HorizontalAlignment::center, VerticalAlignment::bottom};
inline constexpr Alignment Alignment::leading{HorizontalAlignment::leading, VerticalAlignment::center};
inline constexpr Alignment Alignment::trailing{HorizontalAlignment::trailing, VerticalAlignment::center};
inline constexpr Alignment Alignment::topLeading{HorizontalAlignment::leading, VerticalAlignment::top};
inline constexpr Alignment Alignment::topTrailing{HorizontalAlignment::trailing, VerticalAlignment::top};
inline constexpr Alignment Alignment::bottomLeading{HorizontalAlignment::leading, VerticalAlignment::bottom};
inline constexpr Alignment Alignment::bottomTrailing{HorizontalAlignment::trailing, VerticalAlignment::bottom};

enum class Edge : std::uint8_t { top = 1, leading = 2, bottom = 4, trailing = 8 };

// A set of edges: `Edges::horizontal`, `Edges::all`, or a single `Edge`.
struct Edges {
    std::uint8_t bits = 0;
    constexpr Edges() = default;
    constexpr Edges(Edge e) : bits(static_cast<std::uint8_t>(e)) {}  // NOLINT: a single edge is a set
    constexpr explicit Edges(std::uint8_t b) : bits(b) {}
    constexpr bool contains(Edge e) const { return bits & static_cast<std::uint8_t>(e); }
    friend constexpr Edges operator|(Edges a, Edges b) { return Edges(static_cast<std::uint8_t>(a.bits | b.bits)); }

    static const Edges all, horizontal, vertical;
};
inline constexpr Edges Edges::all{std::uint8_t{15}};
inline constexpr Edges Edges::horizontal{std::uint8_t{10}};
inline constexpr Edges Edges::vertical{std::uint8_t{5}};

enum class Axis { horizontal, vertical };
enum class ContentMode { fit, fill };
enum class TextAlignment { leading, center, trailing };
enum class TruncationMode { head, middle, tail };
enum class ColorScheme { light, dark };
enum class CoordinateSpace { local, global };

// What a parent offers a child. An absent length asks for the child's ideal length; 0 asks for
// its minimum and `infinity` for its maximum.
struct ProposedSize {
    std::optional<double> width;
    std::optional<double> height;

    ProposedSize() = default;
    ProposedSize(std::optional<double> w, std::optional<double> h) : width(w), height(h) {}
    ProposedSize(Size s) : width(s.width), height(s.height) {}  // NOLINT: a size is a definite proposal

    static ProposedSize unspecified() { return {}; }
    Size replacingUnspecified(Size fallback) const {
        return {width.value_or(fallback.width), height.value_or(fallback.height)};
    }
    std::optional<double> along(Axis a) const { return a == Axis::horizontal ? width : height; }
    friend bool operator==(const ProposedSize&, const ProposedSize&) = default;
};

// Where a view stands in the tree: a hash of the path from the root (positions in containers,
// branches of conditions, item ids of ForEach, explicit `id`). Stable from render to render as
// long as the structure is, so view state and animations can be keyed on it.
struct Identity {
    std::uint64_t value = 0x9e3779b97f4a7c15ULL;

    Identity child(std::uint64_t key) const {
        std::uint64_t z = value ^ (key + 0x9e3779b97f4a7c15ULL + (value << 6) + (value >> 2));
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return {z ^ (z >> 31)};
    }
    friend constexpr bool operator==(const Identity&, const Identity&) = default;
};

}  // namespace quorlix::ui
