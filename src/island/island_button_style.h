#pragma once
// The button style of every island control: while pressed the label shrinks to 86 % about its
// centre and dims to 70 %, easing back over 0.12 s; its whole rectangle takes clicks.
//
//     Button(Symbol("forward.fill"), [&] { nowPlaying.send("next track"); })
//         .buttonStyle(IslandButtonStyle{})

#include "ui/interaction.h"

namespace quorlix {

struct IslandButtonStyle {
    ui::View makeBody(const ui::ButtonStyleConfiguration& configuration) const;
};

}  // namespace quorlix
