#include "platform/base64.h"

#include <sodium.h>

namespace quorlix::platform {

std::string encodeBase64(const std::uint8_t* bytes, std::size_t length) {
    std::string text(sodium_base64_ENCODED_LEN(length, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes, length, sodium_base64_VARIANT_ORIGINAL);
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

std::optional<std::vector<std::uint8_t>> decodeBase64(std::string_view text) {
    if (text.empty()) return std::vector<std::uint8_t>();
    std::vector<std::uint8_t> out(text.size());
    std::size_t length = 0;
    // Without an end pointer, input that is not consumed to its last character is refused.
    if (sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length, nullptr,
                          sodium_base64_VARIANT_ORIGINAL) != 0) {
        return std::nullopt;
    }
    out.resize(length);
    return out;
}

}  // namespace quorlix::platform
