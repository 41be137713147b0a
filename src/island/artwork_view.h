#pragma once
// A square album-art tile: the artwork filling the square (centred, what overflows cut off),
// or, without one, a dark grey gradient with a note symbol. Rounded with smooth corners.
//
//     ArtworkView{.image = nowPlaying.artwork.get(), .size = 56, .radius = 12}

#include "platform/image.h"
#include "ui/view.h"

#include <optional>

namespace quorlix {

struct ArtworkView : ui::ViewModifiers<ArtworkView> {
    std::optional<platform::Image> image;
    // The tile's side and corner radius, points.
    double size = 0;
    double radius = 0;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
