#pragma once
// Every platform interface the system uses, in one place. `AppDelegate` receives a
// `Platform`; the Linux backends fill one in main.cpp and tests fill one with fakes. The
// struct owns nothing: whoever fills it keeps the objects alive for as long as it is used.

#include "platform/agent_notifications.h"
#include "platform/alerts.h"
#include "platform/application_instance.h"
#include "platform/audio_hardware.h"
#include "platform/cameras.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "platform/image_decoder.h"
#include "platform/login_item.h"
#include "platform/main_queue.h"
#include "platform/player_notifications.h"
#include "platform/process_launcher.h"
#include "platform/screen.h"
#include "platform/script_host.h"
#include "platform/serial_queue.h"
#include "platform/sound_player.h"
#include "platform/trash.h"
#include "platform/workspace.h"

// Battery, Bluetooth devices and focus.
#include "platform/accessibility.h"
#include "platform/bluetooth_devices.h"
#include "platform/desktop_focus.h"
#include "platform/power_sources.h"

// Widgets.
#include "platform/calendar_store.h"
#include "platform/location_manager.h"

// Media keys and display brightness.
#include "platform/accessibility_trust.h"
#include "platform/display_brightness.h"
#include "platform/event_tap.h"

// The island's windows, the pointer, the status bar and the desktop.
#include "platform/haptics.h"
#include "platform/panel_window.h"
#include "platform/pointer_monitor.h"
#include "platform/status_bar.h"
#include "platform/window_server.h"

// The lock screen.
#include "platform/lock_screen_space.h"
#include "platform/screen_lock_notifications.h"

// The settings window, the desktop picture behind its previews and the account picture.
#include "platform/account_picture.h"
#include "platform/desktop_picture.h"
#include "platform/window.h"

namespace quorlix::platform {

struct Platform {
    MainQueue* mainQueue = nullptr;
    Clock* clock = nullptr;
    LoginItem* loginItem = nullptr;
    SoundPlayer* soundPlayer = nullptr;
    Screens* screens = nullptr;
    ScriptHost* scriptHost = nullptr;
    PlayerNotifications* playerNotifications = nullptr;
    Workspace* workspace = nullptr;
    ImageDecoder* imageDecoder = nullptr;
    HttpClient* httpClient = nullptr;
    AudioHardware* audio = nullptr;
    Cameras* cameras = nullptr;
    // Programs that outlive this one (the updater's swap).
    ProcessLauncher* processLauncher = nullptr;
    // Moving the application: the user's trash, modal alerts, and this instance as the desktop
    // sees it (none: later launches are not handed over, and no entries are kept).
    Trash* trash = nullptr;
    Alerts* alerts = nullptr;
    ApplicationInstance* applicationInstance = nullptr;

    // AI coding agents.
    AgentNotifications* agentNotifications = nullptr;

    // Battery, Bluetooth devices and focus.
    PowerSources* powerSources = nullptr;
    BluetoothDevices* bluetoothDevices = nullptr;
    DesktopFocus* desktopFocus = nullptr;
    Accessibility* accessibility = nullptr;
    // Blocking reads kept off the main thread (the Bluetooth report).
    SerialQueue* utilityQueue = nullptr;

    // Widgets: the weather's location and the calendar.
    LocationManager* location = nullptr;
    CalendarStore* calendarStore = nullptr;

    // Media keys and display brightness.
    EventTaps* eventTaps = nullptr;
    AccessibilityTrust* accessibilityTrust = nullptr;
    // None: no display can be dimmed.
    DisplayBrightness* displayBrightness = nullptr;

    // The island's windows, the pointer, the status bar and the desktop.
    PanelWindows* panelWindows = nullptr;
    PointerMonitor* pointerMonitor = nullptr;
    StatusBar* statusBar = nullptr;
    WindowServer* windowServer = nullptr;
    Haptics* haptics = nullptr;

    // The lock screen. No space: nothing can be shown above the system's lock screen.
    ScreenLockNotifications* screenLock = nullptr;
    LockScreenSpace* lockScreenSpace = nullptr;

    // The settings window, the desktop picture behind its previews and the account picture.
    Windows* windows = nullptr;
    // None: no desktop picture can be found (the previews show their gradient).
    DesktopPicture* desktopPicture = nullptr;
    // None: only ~/.face is looked at.
    AccountPicture* accountPicture = nullptr;
};

// Installs the process-wide accessors (`MainQueue::shared()`, `Clock::shared()`, the sound
// player of `Sounds`, the login item of `AppSettings`) from `platform`.
void install(const Platform& platform);
// The platform last installed.
const Platform& installed();

}  // namespace quorlix::platform
