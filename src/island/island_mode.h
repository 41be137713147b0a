#pragma once
// What the island shows, decided by one rule that both the notch window controller (for its
// hit area) and the island root view (for drawing) evaluate, so both agree at every moment.
//
// Priority: expanded, then any HUD, then a working agent, a running or paused timer, the
// now-playing activity, and idle. Each evaluation first refreshes `IslandLayout`'s two width
// flags, so sizes asked for afterwards match the mode. Main thread only.

namespace quorlix {

class AgentService;
class HUDCenter;
class IslandState;
class TimerService;

enum class IslandMode {
    idle,
    live,
    timer,
    agent,
    alert,
    alertWide,
    alertCompact,
    volume,
    brightness,
    battery,
    device,
    deviceDetail,
    output,
    expanded,
};

// What the rule reads besides the window's own state and the settings.
struct IslandModeSources {
    const HUDCenter& hud;
    const AgentService& agents;
    const TimerService& timer;
    // The now-playing activity would show (the now-playing service's `liveVisible`).
    bool liveVisible = false;
};

// The island's mode for a window.
IslandMode islandMode(const IslandState& state, const IslandModeSources& sources);
// What the island shows while closed, whether or not it is expanded now.
IslandMode collapsedIslandMode(const IslandModeSources& sources);

}  // namespace quorlix
