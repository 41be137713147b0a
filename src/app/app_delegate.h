#pragma once
// The one object that creates, owns and wires every service, for the life of the process.
//
// Construction builds the services in a fixed order; `applicationDidFinishLaunching()` starts
// them, turns their events into HUDs, follows the settings and the screens, builds one island
// per chosen screen, watches the pointer for the islands, puts up the status item, follows the
// screen lock, and finally shows a developer preview, onboarding or nothing.
//
//     platform::install(backends.platform());
//     AppDelegate app(backends.platform());
//     app.applicationDidFinishLaunching();
//
// Main thread only.

#include "app/app_windows.h"
#include "app/hud_wiring.h"
#include "foundation/app_settings.h"
#include "platform/platform.h"
#include "services/agent_service.h"
#include "services/battery_service.h"
#include "services/bluetooth_service.h"
#include "services/browser_ai_watcher.h"
#include "services/calendar_service.h"
#include "services/focus_monitor.h"
#include "services/hud_center.h"
#include "services/lifetime.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/privacy_monitor.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/update_service.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "window/lock_screen_controller.h"
#include "window/notch_window_controller.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorlix {

class AppDelegate {
public:
    // Builds every service on the installed platform; `windows` defaults to the windows this
    // build has.
    explicit AppDelegate(const platform::Platform& platform, std::unique_ptr<AppWindows> windows = nullptr);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The launch sequence. Once.
    void applicationDidFinishLaunching();
    // The system asks to open `urls` (the agents' URL scheme).
    void openURLs(const std::vector<std::string>& urls);
    // The application was launched again while running: shows the settings window.
    bool applicationShouldHandleReopen();

    // Replaces every island: one per chosen screen, none while the island is hidden.
    void rebuildWindows();
    // Puts the status item up or takes it down, by `menuBarIcon`.
    void updateStatusItem();
    // The status item's menu, as built at each opening.
    std::vector<platform::MenuItem> statusMenu();
    // The application's main menu.
    std::vector<platform::Menu> mainMenu();

    // The signature of this build: its build number, "-", and its executable's modification
    // time in whole seconds since 1970 (0 when unreadable).
    static std::string buildSignature();

    // In the order they are created.
    AppSettings& settings;
    NowPlayingService nowPlaying;
    LyricsService lyrics;
    TrayStore tray;
    WeatherService weather;
    BluetoothService bluetooth;
    VolumeService volume;
    BatteryService battery;
    UpdateService updates;
    HUDCenter hud;
    TimerService timer;
    AgentService agents;
    BrowserAIWatcher browserAI;
    CalendarService calendar;
    PrivacyMonitor privacy;
    // Set at launch: Accessibility must be asked for again.
    bool askAccessibility = false;
    FocusMonitor focus;
    // Made once launching has put up the status item; before it, none.
    std::unique_ptr<LockScreenController> lockScreen;

    const std::vector<std::unique_ptr<NotchWindowController>>& controllers() const { return controllers_; }
    HUDWiring& wiring() { return wiring_; }

private:
    void accessibilityDecision();
    void developerPreviewOrOnboarding(bool offeredMove);
    void observeSettings();
    void observeSystem();
    void installMouseMonitors();
    void handle(const platform::PointerEvent& event);
    void installMainMenu();
    IslandServices islandServices();

    // Runs `action` on the main queue after each later assignment to `setting`.
    template <class T>
    void onChange(Published<T>& setting, std::function<void()> action);

    // Status menu actions.
    void menuToggleHidden();
    void menuSource(const std::string& rawValue);
    void menuTray();
    void menuSettings();
    void menuUpdates();

    const platform::Platform& platform_;
    std::unique_ptr<AppWindows> windows_;
    HUDWiring wiring_;
    std::vector<std::unique_ptr<NotchWindowController>> controllers_;
    std::vector<Subscription> monitors_;
    std::vector<Subscription> cancellables_;
    std::unique_ptr<platform::StatusItem> statusItem_;
    bool islandHidden_ = false;
    bool launched_ = false;
    std::int64_t dragChangeCount_ = 0;
    // Deferred work that must not outlive the delegate.
    Lifetime lifetime_;
    platform::WorkItem updateCheck_;
};

}  // namespace quorlix
