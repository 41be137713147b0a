#include "window/lock_screen_views.h"

#include "window/full_artwork_lock_view.h"
#include "window/lock_screen_card.h"
#include "window/lock_screen_info_row.h"

namespace quorlix {

ui::View LockScreenViews::infoRow(LockScreenInfo& info) { return LockScreenInfoRow{.info = &info}; }

ui::View LockScreenViews::card(const std::optional<Track>& sample, bool choosingOutput) {
    return LockScreenCard{
        .sample = sample, .showArtwork = true, .artworkPlaceholder = false, .choosingOutput = choosingOutput};
}

ui::View LockScreenViews::fullArtwork(const std::optional<Track>& sample, LockScreenInfo& info) {
    return FullArtworkLockView{.sample = sample, .info = &info};
}

}  // namespace quorlix
