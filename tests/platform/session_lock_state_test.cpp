// How the session's lock sources become lock and unlock notices, above all for a locker that
// announces nothing but its window.

#include "platform/linux/session_lock_state.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace quorlix::platform {
namespace {

// Runs the events of `script` ("lock", "unlock", "hint on", "hint off", "saver on", "saver
// off", "shown 7", "gone 7", separated by commas) and answers the notices: "L" for a lock,
// "U" for an unlock.
std::string notices(const std::string& script) {
    std::string out;
    SessionLockState state([&out](bool locked) { out += locked ? 'L' : 'U'; });
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
        else
            ADD_FAILURE() << "unknown event " << event;
    }
    return out;
}

TEST(SessionLockState, EachSourceLocksAndUnlocksAndALockerWindowStandsInOnlyForASilentLock) {
    struct Case {
        const char* script;
        const char* notices;
    };
    const Case cases[] = {
        // Each source on its own; repeats are passed on.
        {"lock, unlock", "LU"},
        {"hint on, hint on, hint off", "LLU"},
        {"saver on, saver off", "LU"},
        {"lock, saver on, hint on, saver off, hint off", "LLLUU"},
        {"unlock", "U"},
        // A locker that tells nothing but its window: its going away is the unlock.
        {"lock, shown 7, gone 7", "LU"},
        {"lock, shown 7, shown 8, gone 8, gone 7", "LU"},
        {"lock, shown 7, gone 7, gone 7", "LU"},
        // Windows before the lock, or after an unlock, stand for nothing.
        {"shown 7, lock, gone 7", "L"},
        {"lock, unlock, shown 7, gone 7", "LU"},
        {"lock, shown 7, unlock, gone 7", "LU"},
        // With the hint or the screen saver keeping the state, they end the lock, not the window.
        {"hint on, lock, shown 7, gone 7", "LL"},
        {"lock, hint on, shown 7, gone 7, hint off", "LLU"},
        {"lock, shown 7, hint on, gone 7", "LL"},
        {"saver on, lock, shown 7, gone 7, saver off", "LLU"},
        // A hint that has gone back off leaves the next silent lock to its window.
        {"hint on, hint off, lock, shown 7, gone 7", "LULU"},
    };
    for (const Case& c : cases) EXPECT_EQ(notices(c.script), c.notices) << c.script;
}

}  // namespace
}  // namespace quorlix::platform
