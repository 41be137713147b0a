#include "island/progress_row.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorlix {

std::string ProgressRow::format(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) return "0:00";
    // Bounded so the whole number always fits; no track comes near.
    const auto n = static_cast<long long>(std::floor(std::min(seconds, 1e15)));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", n / 60, n % 60);
    return text;
}

}  // namespace quorlix
