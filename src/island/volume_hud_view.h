#pragma once
// The volume HUD beside the notch: the output's symbol (a speaker by level, a headset or a
// screen by the device) on the left and the level bar on the right, both in the track's
// colour while something plays, else white. The volume and now-playing services are
// environment objects.
//
//     VolumeHUDView{.level = 0.62f, .muted = false, .notch = notch}

#include "platform/geometry.h"
#include "services/volume_service.h"
#include "ui/view.h"

#include <optional>
#include <string>

namespace quorlix {

struct VolumeHUDView : ui::ViewModifiers<VolumeHUDView> {
    float level = 0;  // 0...1
    bool muted = false;
    Size notch;

    // The symbol shown for a level and mute state with `output` as the current output.
    static std::string symbol(float level, bool muted, const std::optional<AudioOutput>& output);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
