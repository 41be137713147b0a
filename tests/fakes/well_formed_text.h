#pragma once
// Text checked as it arrives from outside: whether it is well-formed UTF-8, and how many code
// points it holds. Decoded apart from the program's own cap (platform/capped_text.h), so that
// it checks it.

#include <cstddef>
#include <optional>
#include <string_view>

namespace quorlix::testing {

// The code points of `s`, or nothing when it is not well-formed UTF-8 (a stray or missing
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF).
inline std::optional<std::size_t> wellFormedLength(std::string_view s) {
    static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const std::size_t n = lead < 0x80       ? 1
                              : lead >> 5 == 6  ? 2
                              : lead >> 4 == 14 ? 3
                              : lead >> 3 == 30 ? 4
                                                : 0;
        if (n == 0 || i + n > s.size()) return std::nullopt;
        char32_t c = n == 1 ? lead : lead & (0x7Fu >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if (next >> 6 != 2) return std::nullopt;
            c = c << 6 | (next & 0x3Fu);
        }
        if (c < least[n] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return std::nullopt;
        i += n;
    }
    return count;
}

}  // namespace quorlix::testing
