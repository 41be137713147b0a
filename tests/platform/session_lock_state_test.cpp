// How the session's lock sources become lock and unlock notices, above all for a locker that
// announces nothing but its window, a blank that locks nothing and a Lock nothing carries out.

#include "platform/linux/session_lock_state.h"

#include "fakes/virtual_time.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace quorlix::platform {
namespace {

// Runs the events of `script` ("lock", "unlock", "hint on", "hint off", "saver on", "saver
// off", "shown 7", "gone 7", "wait 4.9", separated by commas) and answers the notices: "L"
// for a lock, "U" for an unlock.
std::string notices(const std::string& script) {
    fakes::VirtualTime time;
    std::string out;
    SessionLockState state(
        [&out](ScreenLockNotice notice) { out += notice == ScreenLockNotice::locked ? 'L' : 'U'; });
    std::istringstream events(script);
    std::string event;
    while (std::getline(events, event, ',')) {
        std::istringstream words(event);
        std::string what, argument;
        words >> what >> argument;
        if (what == "lock")
            state.lockRequested();
        else if (what == "unlock")
            state.unlockRequested();
        else if (what == "hint")
            state.lockedHintChanged(argument == "on");
        else if (what == "saver")
            state.screenSaverChanged(argument == "on");
        else if (what == "shown")
            state.lockerShown(static_cast<std::uint32_t>(std::stoul(argument)));
        else if (what == "gone")
            state.lockerGone(static_cast<std::uint32_t>(std::stoul(argument)));
        else if (what == "wait")
            time.advance(std::stod(argument));
        else
            ADD_FAILURE() << "unknown event " << event;
    }
    return out;
}

TEST(SessionLockState, WhatLocksLocksAndEachLockEndsWithWhatKeepsIt) {
    struct Case {
        const char* script;
        const char* notices;
    };
    const Case cases[] = {
        // Each source on its own; only changes are told.
        {"hint on, hint on, hint off", "LU"},
        {"unlock, hint off", ""},
        {"lock, saver on, hint on, saver off, hint off", "LU"},
        // A blank is no lock, and its locker-like window stands for nothing.
        {"saver on, shown 7, gone 7, saver off", ""},
        {"saver on, hint on, saver off, hint off", "LU"},
        // A Lock request alone is no lock: it is told once something carries it out.
        {"lock", ""},
        {"lock, unlock", ""},
        {"lock, hint on, unlock", "LU"},
        // A screen saver that carries out the Lock request keeps it.
        {"lock, saver on, wait 60, saver off", "LU"},
        {"saver on, lock, shown 7, gone 7, wait 60, saver off", "LU"},
        // A locker that tells nothing but its window: its going away is the unlock.
        {"lock, wait 4.9, shown 7, wait 60, gone 7", "LU"},
        {"lock, shown 7, shown 8, gone 8, gone 7", "LU"},
        {"lock, shown 7, gone 7, gone 7", "LU"},
        // Windows before the lock, or after an unlock, stand for nothing.
        {"shown 7, lock, gone 7, shown 8", "L"},
        {"lock, unlock, shown 7, gone 7", ""},
        {"lock, shown 7, unlock, gone 7", "LU"},
        // With the hint keeping the state, it ends the lock, not the window or the saver.
        {"hint on, lock, shown 7, gone 7", "L"},
        {"lock, hint on, shown 7, gone 7, hint off", "LU"},
        {"lock, shown 7, hint on, gone 7", "L"},
        // A Lock nothing carries out within 5 s passes unheard, and the next one waits anew.
        {"lock, wait 4.9, saver on", "L"},
        {"lock, wait 5, saver on, shown 7, gone 7, saver off", ""},
        {"lock, lock, wait 5, lock, hint on, wait 60, hint off", "LU"},
        // A hint that has gone back off leaves the next Lock to its locker window.
        {"hint on, hint off, lock, shown 7, gone 7", "LULU"},
    };
    for (const Case& c : cases) EXPECT_EQ(notices(c.script), c.notices) << c.script;
}

}  // namespace
}  // namespace quorlix::platform
