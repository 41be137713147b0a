#include "island/player_timeline.h"

#include "services/now_playing_service.h"
#include "ui/timeline.h"

namespace quorlix {

ui::View playerTimeline(ui::Context& ctx,
                        std::function<ui::View(double t, const ScrubAction& onScrub)> content) {
    using namespace ui;
    const NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    const auto scrubTime = ctx.state<std::optional<double>>(std::nullopt);
    const std::optional<double> dragged = scrubTime.get();
    const ScrubAction onScrub = [scrubTime](std::optional<double> time) { scrubTime = time; };
    return TimelineView(
        TimelineSchedule::animation(1, !nowPlaying.isPlaying.get()),
        [&nowPlaying, dragged, onScrub, content = std::move(content)](const TimelineContext& entry) {
            return content(dragged ? *dragged : nowPlaying.position(entry.date), onScrub);
        });
}

}  // namespace quorlix
