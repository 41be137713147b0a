#pragma once
// The General pane: the account card, start at login, the screens the island shows on, how
// it opens, its size (with a live preview on the island while a slider moves), the gestures
// over the notch, and when the island and the menu-bar icon show. Every control writes its
// setting at once; the size sliders through their commit a quarter second after the last
// move. Reads `AppSettings` and `UserProfile` from the environment.

#include "ui/view.h"

#include <optional>

namespace quorlix {

struct GeneralPane {
    // The island's size before any change, which "Restablecer" restores.
    static constexpr double defaultWidth = 343;
    static constexpr double defaultHeight = 140;

    ui::View body(ui::Context& ctx) const;

    // What a size row's preview does: the value rounded to a whole point (halves away from
    // zero) into the island's live width or height, or the override cleared, then the island
    // opened for a look.
    static void previewWidth(std::optional<double> value);
    static void previewHeight(std::optional<double> value);
};

}  // namespace quorlix
