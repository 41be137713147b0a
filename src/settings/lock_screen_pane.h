#pragma once
// The Lock screen pane: a live miniature of the lock screen over the desktop picture, which
// follows the glass style; the glass style; the lock-screen player, its full artwork and
// synced lyrics with their timing; and the lock and unlock sounds with their volume and a
// test. Every control writes its `AppSettings` key directly (the lyrics timing at every step
// of a drag, the volume once a drag pauses).
//
// "Probar" plays the lock sound now and the unlock sound 0.6 s later on the main queue, at
// the volume set by then, even when the window has closed meanwhile.

#include "platform/clock.h"
#include "ui/view.h"

#include <string>

namespace quorlix {

struct LockScreenPane {
    ui::View body(ui::Context& ctx) const;

    static constexpr double unlockSoundDelay = 0.6;
    // The lock sound at the volume now, the unlock sound after `unlockSoundDelay`.
    static void playTest();
    // The lyrics offset `seconds` in whole milliseconds: "250", "-100".
    static std::string offsetText(double seconds);
};

// The miniature: the date and the clock over the blurred desktop picture, and a player card
// in the clear or frosted glass, redrawn at every minute.
struct LockPreview {
    bool frosted = false;
    ui::View body(ui::Context& ctx) const;

    // The weekday, day and month in Mexican Spanish, whatever the user's locale, starting
    // with a capital: "Miércoles, 6 de enero".
    static std::string dateText(Date date);
};

}  // namespace quorlix
