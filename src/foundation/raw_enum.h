#pragma once
// Enums stored by raw string values. An enum opts in by specialising `RawEnumTraits` with
// its cases in order and their raw strings; it then has `rawValue`, `fromRawValue` (exact
// match, case included) and `allCases`.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quorlix {

template <class E>
struct RawEnumTraits;  // { static constexpr std::array<std::pair<E, std::string_view>, N> cases; }

template <class E>
constexpr std::string_view rawValue(E value) {
    for (const auto& [c, raw] : RawEnumTraits<E>::cases)
        if (c == value) return raw;
    return {};
}

template <class E>
constexpr std::optional<E> fromRawValue(std::string_view raw) {
    for (const auto& [c, r] : RawEnumTraits<E>::cases)
        if (r == raw) return c;
    return std::nullopt;
}

template <class E>
constexpr auto allCases() {
    std::array<E, RawEnumTraits<E>::cases.size()> out{};
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = RawEnumTraits<E>::cases[i].first;
    return out;
}

}  // namespace quorlix
