#include "island/volume_hud_view.h"

#include "island/level_bar.h"
#include "island/model_color.h"
#include "island/pods_glyph.h"
#include "island/wings.h"
#include "services/now_playing_service.h"
#include "ui/context.h"

namespace quorlix {

std::string VolumeHUDView::symbol(float level, bool muted, const std::optional<AudioOutput>& output) {
    if (muted || level == 0) return "speaker.slash.fill";
    // A headset or a screen shows its own picture; speakers show the level.
    if (output) {
        std::string device = output->symbol();
        if (device != "laptopcomputer" && device != "hifispeaker.fill") return device;
    }
    if (level < 0.33f) return "speaker.wave.1.fill";
    if (level < 0.66f) return "speaker.wave.2.fill";
    return "speaker.wave.3.fill";
}

ui::View VolumeHUDView::body(ui::Context& ctx) const {
    using namespace ui;
    const auto& volume = ctx.object<VolumeService>();
    const auto& nowPlaying = ctx.object<NowPlayingService>();
    const Color tint = nowPlaying.isPlaying ? viewColor(nowPlaying.displayColor()) : Color::white;
    return Wings{
        .notch = notch,
        .left = PodsGlyph{.symbol = symbol(level, muted, volume.currentOutput), .size = 13, .tint = tint},
        .right =
            LevelBar{.value = muted ? 0.0 : static_cast<double>(level), .tint = tint}.frame({.height = 5})};
}

}  // namespace quorlix
