#pragma once
// The small player above the lock screen: the artwork, the title scrolling when it is too
// long, the artist, a level indicator while music plays, the elapsed and remaining time
// around a seek bar, and five buttons (the left control the settings choose, previous, play
// or pause, next, and the audio output). The output button swaps the whole card for the
// output chooser until the user picks an output or closes it.
//
//     LockScreenCard{.sample = LockScreenController::sampleTrack()}
//         .frame({.width = 339, .height = 185})
//
// It reads the now-playing service, the settings and the volume service from the
// environment. It shows the current track, else `sample`, else nothing. Without
// `showArtwork` the titles stand centred with the level indicator in the top right corner;
// with `artworkPlaceholder` an empty square keeps the artwork's place (for a host that draws
// the artwork there itself). Main thread only.

#include "services/track.h"
#include "ui/view.h"

#include <functional>
#include <optional>

namespace quorlix {

struct LockScreenCard : ui::ViewModifiers<LockScreenCard> {
    std::optional<Track> sample;
    bool showArtwork = true;
    bool artworkPlaceholder = false;
    // Whether the output chooser is open when the card first shows.
    bool choosingOutput = false;
    // Told each later opening (true) and closing (false) of the chooser.
    std::function<void(bool)> onChoosingOutput;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
