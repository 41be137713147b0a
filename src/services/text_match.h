#pragma once
// Small text tests shared by the services. Names come from devices and other programs in
// UTF-8; the words looked for are ASCII, so lower-casing the ASCII letters is enough for a
// case-insensitive match and leaves every other byte alone.

#include <string>
#include <string_view>

namespace quorlix {

std::string asciiLowercased(std::string_view text);
// Whether `text` contains `word` (ASCII, any case) ignoring ASCII case.
bool containsIgnoringCase(std::string_view text, std::string_view word);

}  // namespace quorlix
