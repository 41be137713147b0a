#pragma once
// The long-lived objects an island reads: the notch window controller for its decisions, the
// island's views as environment objects.

namespace quorlix {

class AgentService;
class AppSettings;
class CalendarService;
class HUDCenter;
class LyricsService;
class NowPlayingService;
class TimerService;
class TrayStore;
class VolumeService;
class WeatherService;

struct IslandServices {
    AppSettings& settings;
    NowPlayingService& nowPlaying;
    LyricsService& lyrics;
    TrayStore& tray;
    WeatherService& weather;
    VolumeService& volume;
    HUDCenter& hud;
    TimerService& timer;
    AgentService& agents;
    CalendarService& calendar;
};

}  // namespace quorlix
