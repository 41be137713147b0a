#include "platform/linux/linux_platform.h"

#include "platform/linux/canberra_sound_player.h"
#include "platform/linux/dbus_agent_notifications.h"
#include "platform/linux/detached_process_launcher.h"
#include "platform/linux/linux_application_instance.h"
#include "platform/linux/linux_workspace.h"
#include "platform/linux/mpris_bus.h"
#include "platform/linux/mpris_player_notifications.h"
#include "platform/linux/mpris_script_host.h"
#include "platform/linux/peer_calls.h"
#include "platform/linux/pulse_audio_hardware.h"
#include "platform/linux/qt_alerts.h"
#include "platform/linux/qt_http_client.h"
#include "platform/linux/qt_image_decoder.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/linux/qt_screens.h"
#include "platform/linux/qt_trash.h"
#include "platform/linux/sysfs_backlight.h"
#include "platform/linux/v4l2_cameras.h"
#include "platform/linux/x11_accessibility_trust.h"
#include "platform/linux/x11_event_taps.h"
#include "platform/linux/xdg_login_item.h"

// Battery, Bluetooth devices and focus.
#include "platform/linux/bluez_devices.h"
#include "platform/linux/gnome_desktop_focus.h"
#include "platform/linux/notification_inhibition_focus.h"
#include "platform/linux/sysfs_power_sources.h"
#include "platform/linux/unavailable_accessibility.h"

// Widgets.
#include "platform/linux/module_calendar_store.h"
#include "platform/linux/qt_location_manager.h"

// The island's windows, the pointer, the status bar and the desktop.
#include "platform/linux/qt_panel_window.h"
#include "platform/linux/qt_status_bar.h"
#include "platform/linux/x11_pointer_monitor.h"
#include "platform/linux/x11_window_server.h"

// The lock screen.
#include "platform/linux/session_lock_notifications.h"
#include "platform/linux/unavailable_lock_screen_space.h"
#include "platform/linux/x11_screen_lockers.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QScreen>

#include <xcb/xcb.h>

// The settings window, the desktop picture and the account picture.
#include "platform/linux/accounts_service_picture.h"
#include "platform/linux/linux_desktop_picture.h"
#include "platform/linux/qt_windows.h"

#include <cstdlib>
#include <string_view>

namespace quorlix::platform {

namespace {

// GNOME keeps its switch in its settings; other desktops (KDE Plasma) tell through their
// notification server.
std::unique_ptr<DesktopFocus> desktopFocusOfThisSession() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktop && std::string_view(desktop).find("GNOME") != std::string_view::npos) {
        if (auto gnome = GnomeDesktopFocus::create()) return gnome;
    }
    return std::make_unique<NotificationInhibitionFocus>();
}

// The identifier range of the windows Qt makes for us; 0 off X11.
std::uint32_t ownWindowBase() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    return c ? xcb_get_setup(c)->resource_id_base : 0;
}

// The screens in the X server's pixels.
std::vector<Rect> screenPixels() {
    std::vector<Rect> out;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        const double scale = s->devicePixelRatio();
        out.emplace_back(g.x() * scale, g.y() * scale, g.width() * scale, g.height() * scale);
    }
    return out;
}

// Linux trackpads give no haptic feedback.
class NoHaptics final : public Haptics {
public:
    void perform(HapticPattern) override {}
};

}  // namespace

LinuxPlatform::LinuxPlatform(SingleInstance* instance)
    : peerCalls_(std::make_unique<PeerCalls>()),
      mainQueue_(std::make_unique<QtMainQueue>()),
      clock_(std::make_unique<SystemClock>()),
      loginItem_(std::make_unique<XdgLoginItem>()),
      soundPlayer_(std::make_unique<CanberraSoundPlayer>()),
      screens_(std::make_unique<QtScreens>()),
      mprisBus_(std::make_unique<MprisBus>(QDBusConnection::sessionBus())),
      playerNotifications_(std::make_unique<MprisPlayerNotifications>(*mprisBus_)),
      scriptHost_(std::make_unique<MprisScriptHost>(*mprisBus_, peerCalls_.get())),
      workspace_(std::make_unique<LinuxWorkspace>(*mprisBus_)),
      imageDecoder_(std::make_unique<QtImageDecoder>()),
      httpClient_(std::make_unique<QtHttpClient>()),
      audio_(std::make_unique<PulseAudioHardware>()),
      cameras_(std::make_unique<V4l2Cameras>()),
      processLauncher_(std::make_unique<DetachedProcessLauncher>()),
      trash_(std::make_unique<QtTrash>()),
      alerts_(std::make_unique<QtAlerts>()),
      applicationInstance_(std::make_unique<LinuxApplicationInstance>(instance)) {
    platform_.mainQueue = mainQueue_.get();
    platform_.clock = clock_.get();
    platform_.loginItem = loginItem_.get();
    platform_.soundPlayer = soundPlayer_.get();
    platform_.screens = screens_.get();
    platform_.playerNotifications = playerNotifications_.get();
    platform_.scriptHost = scriptHost_.get();
    platform_.workspace = workspace_.get();
    platform_.imageDecoder = imageDecoder_.get();
    platform_.httpClient = httpClient_.get();
    platform_.audio = audio_.get();
    platform_.cameras = cameras_.get();
    platform_.processLauncher = processLauncher_.get();
    platform_.trash = trash_.get();
    platform_.alerts = alerts_.get();
    platform_.applicationInstance = applicationInstance_.get();

    installAgentsAndDevices();
    installWidgets();
    installKeys();
    installWindows();
    installLockScreen();
    installSettingsWindows();
}

void LinuxPlatform::installAgentsAndDevices() {
    // AI coding agents.
    agentNotifications_ = std::make_unique<DBusAgentNotifications>(QDBusConnection::sessionBus());
    platform_.agentNotifications = agentNotifications_.get();

    // Battery, Bluetooth devices and focus.
    powerSources_ = std::make_unique<SysfsPowerSources>();
    bluetoothDevices_ = std::make_unique<BluezDevices>(QDBusConnection::systemBus(), peerCalls_.get());
    desktopFocus_ = desktopFocusOfThisSession();
    accessibility_ = std::make_unique<UnavailableAccessibility>();
    utilityQueue_ = std::make_unique<ThreadSerialQueue>();
    platform_.powerSources = powerSources_.get();
    platform_.bluetoothDevices = bluetoothDevices_.get();
    platform_.desktopFocus = desktopFocus_.get();
    platform_.accessibility = accessibility_.get();
    platform_.utilityQueue = utilityQueue_.get();
}

void LinuxPlatform::installWidgets() {
    // Widgets.
    location_ = std::make_unique<QtLocationManager>();
    calendarStore_ = std::make_unique<ModuleCalendarStore>();
    platform_.location = location_.get();
    platform_.calendarStore = calendarStore_.get();
}

void LinuxPlatform::installKeys() {
    // Media keys and display brightness.
    eventTaps_ = std::make_unique<X11EventTaps>();
    accessibilityTrust_ = std::make_unique<X11AccessibilityTrust>();
    backlight_ = std::make_unique<SysfsBacklight>(QDBusConnection::systemBus());
    platform_.eventTaps = eventTaps_.get();
    platform_.accessibilityTrust = accessibilityTrust_.get();
    // No backlight device: no display this machine can dim.
    if (!backlight_->displays().empty()) platform_.displayBrightness = backlight_.get();
}

void LinuxPlatform::installWindows() {
    // Only on X11, where Qt's own windows can be told apart.
    if (const std::uint32_t base = ownWindowBase())
        screenLockers_ = X11ScreenLockers::open(base, screenPixels);

    // The island's windows, the pointer, the status bar and the desktop.
    auto pointer = std::make_unique<X11PointerMonitor>(std::string(), X11EventTaps::runningOnWayland());
    panelWindows_ = std::make_unique<QtPanelWindows>(pointer.get(), screenLockers_.get());
    pointerMonitor_ = std::move(pointer);
    statusBar_ = std::make_unique<QtStatusBar>();
    windowServer_ = std::make_unique<X11WindowServer>();
    haptics_ = std::make_unique<NoHaptics>();
    platform_.panelWindows = panelWindows_.get();
    platform_.pointerMonitor = pointerMonitor_.get();
    platform_.statusBar = statusBar_.get();
    platform_.windowServer = windowServer_.get();
    platform_.haptics = haptics_.get();
}

void LinuxPlatform::installLockScreen() {
    // The lock screen.
    screenLock_ = std::make_unique<SessionLockNotifications>(
        QDBusConnection::systemBus(), QDBusConnection::sessionBus(), screenLockers_.get());
    lockScreenSpace_ = std::make_unique<UnavailableLockScreenSpace>();
    platform_.screenLock = screenLock_.get();
    platform_.lockScreenSpace = lockScreenSpace_.get();
}

void LinuxPlatform::installSettingsWindows() {
    // The settings window, the desktop picture and the account picture.
    windows_ = std::make_unique<QtWindows>();
    desktopPicture_ = std::make_unique<LinuxDesktopPicture>();
    accountPicture_ = std::make_unique<AccountsServicePicture>(QDBusConnection::systemBus());
    platform_.windows = windows_.get();
    platform_.desktopPicture = desktopPicture_.get();
    platform_.accountPicture = accountPicture_.get();
}

void LinuxPlatform::loadDeferred() { calendarStore_->loadInBackground(); }

void LinuxPlatform::stopWaitingOnPeers() { peerCalls_->stop(); }

LinuxPlatform::~LinuxPlatform() { stopWaitingOnPeers(); }

}  // namespace quorlix::platform
