#include "window/lock_screen_views.h"

#include "ui/views.h"

namespace quorlix {

ui::View LockScreenViews::infoRow(LockScreenInfo&) { return ui::Color::clear; }

ui::View LockScreenViews::card(const std::optional<Track>&, bool) { return ui::Color::clear; }

ui::View LockScreenViews::fullArtwork(const std::optional<Track>&, LockScreenInfo&) {
    return ui::Color::clear;
}

}  // namespace quorlix
