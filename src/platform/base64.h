#pragma once
// Base64 text (the standard alphabet, with padding) to bytes and back. Reading is strict:
// padding as required, no spaces or other characters, no stray bits in the last group.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix::platform {

std::string encodeBase64(const std::uint8_t* bytes, std::size_t length);
inline std::string encodeBase64(const std::vector<std::uint8_t>& bytes) {
    return encodeBase64(bytes.data(), bytes.size());
}
std::optional<std::vector<std::uint8_t>> decodeBase64(std::string_view text);

}  // namespace quorlix::platform
