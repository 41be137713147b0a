#include "island/progress_row.h"

#include "island/island_layout.h"
#include "island/player_timeline.h"
#include "island/scrub_bar.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/views.h"

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

ui::View ProgressRow::body(ui::Context& ctx) const {
    using namespace ui;
    const bool tall = IslandLayout::tallBody();
    const double length = duration;
    return playerTimeline(ctx, [tall, length](double t, const ScrubAction& onScrub) {
        // Appended, not concatenated: GCC's -O3 warns wrongly about a prefix literal.
        std::string remaining = "-";
        remaining += format(std::max(length - t, 0.0));
        return VStack(
            {.alignment = HorizontalAlignment::center, .spacing = 0},
            {
                ScrubBar{.position = t, .duration = length, .height = tall ? 4.0 : 3.0, .onScrub = onScrub},
                HStack({.alignment = VerticalAlignment::center},
                       {
                           Text(format(t)),
                           Spacer(),
                           Text(remaining),
                       })
                    .font(Font::system(tall ? 10 : 8, FontWeight::medium).monospacedDigit())
                    .foregroundStyle(Color::white.opacity(0.45)),
            });
    });
}

}  // namespace quorlix
