#pragma once
// Web addresses with a query, built so that no value can change the query's shape: names and
// values are percent-encoded outside the unreserved characters (letters, digits, "-", ".",
// "_", "~"), so "&", "=", "+" or "#" in a song title or a city stay part of it.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorlix::platform {

using QueryItems = std::vector<std::pair<std::string, std::string>>;

// The value of one hexadecimal digit, or -1.
int hexValue(char c);
// `text` (UTF-8) with every byte outside the unreserved characters written as "%XX".
std::string percentEncode(std::string_view text);
// `text` with every "%XX" read back as its byte; nothing when a "%" is not followed by two
// hexadecimal digits.
std::optional<std::string> percentDecode(std::string_view text);
// `base` + `path` + "?" + the items in order, each "name=value", joined by "&".
std::string addressWithQuery(std::string_view base, std::string_view path, const QueryItems& items);

}  // namespace quorlix::platform
