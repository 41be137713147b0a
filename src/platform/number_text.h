#pragma once
// Numbers read from and written as text, always in the C locale (a point before the
// decimals), whatever the process locale says. Players, web services and lyric files all
// write numbers this way, and scripts sent to the players must too.

#include <optional>
#include <string>
#include <string_view>

namespace quorlix::platform {

// The whole of `text` read as a finite floating-point number: an optional sign, digits with
// an optional point and decimals, an optional exponent. Anything else (empty text,
// surrounding spaces, trailing characters, "inf", "nan", a value out of range) is nothing.
std::optional<double> parseNumber(std::string_view text);

// `value` with `decimals` digits after the point, rounded to nearest ("12.35"); the shortest
// text that reads back as `value` when `decimals` is negative. Non-finite values give "0".
std::string formatNumber(double value, int decimals = -1);

}  // namespace quorlix::platform
