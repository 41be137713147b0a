#pragma once
// The whole player of a narrow expanded island: the artwork (a button that opens the
// player), the title scrolling when it is too wide, the artist, an equalizer while music
// plays, a time row with the seek bar, and the transport controls. Everything scales to 80 %
// on a short island body.
//
//     CompactPlayer{.track = *nowPlaying.track.get(), .onOutput = toggleOutputs}
//
// Reads `NowPlayingService` from the environment (and what the controls row reads).

#include "services/track.h"
#include "ui/view.h"

#include <functional>

namespace quorlix {

struct CompactPlayer : ui::ViewModifiers<CompactPlayer> {
    Track track;
    // Opens and closes the audio-output menu.
    std::function<void()> onOutput;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
