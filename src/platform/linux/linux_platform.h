#pragma once
// Owns the Linux backends and hands them out as a `Platform`. Create it after the
// QApplication and keep it for the life of the process, with the single instance this launch
// holds (none: it could not listen).

#include "platform/platform.h"

#include <memory>

namespace quorlix::platform {

class ModuleCalendarStore;
class MprisBus;
class PeerCalls;
class SingleInstance;
class SysfsBacklight;
class X11ScreenLockers;

class LinuxPlatform {
public:
    explicit LinuxPlatform(SingleInstance* instance = nullptr);
    ~LinuxPlatform();
    const Platform& platform() const { return platform_; }
    // Loads the backends the island does not need (the calendars): called once it shows. Each
    // also loads when it is first used.
    void loadDeferred();
    // Ends the waits of worker threads on peers that do not answer (a player's script, the
    // Bluetooth report) and refuses later ones: called when quitting, before the queues those
    // threads run on are joined, so the quit never waits on a peer.
    void stopWaitingOnPeers();

private:
    // The backends, a group at a time, in the order they depend on each other.
    void installAgentsAndDevices();
    void installWidgets();
    void installKeys();
    void installWindows();
    void installLockScreen();
    void installSettingsWindows();

    // First: the backends that wait on peers hold it until they go.
    std::unique_ptr<PeerCalls> peerCalls_;
    std::unique_ptr<MainQueue> mainQueue_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<LoginItem> loginItem_;
    std::unique_ptr<SoundPlayer> soundPlayer_;
    std::unique_ptr<Screens> screens_;
    // The media players on the session bus, shared by the next three.
    std::unique_ptr<MprisBus> mprisBus_;
    std::unique_ptr<PlayerNotifications> playerNotifications_;
    std::unique_ptr<ScriptHost> scriptHost_;
    std::unique_ptr<Workspace> workspace_;
    std::unique_ptr<ImageDecoder> imageDecoder_;
    std::unique_ptr<HttpClient> httpClient_;
    std::unique_ptr<AudioHardware> audio_;
    std::unique_ptr<Cameras> cameras_;
    std::unique_ptr<ProcessLauncher> processLauncher_;
    std::unique_ptr<Trash> trash_;
    std::unique_ptr<Alerts> alerts_;
    std::unique_ptr<ApplicationInstance> applicationInstance_;

    // AI coding agents.
    std::unique_ptr<AgentNotifications> agentNotifications_;

    // Battery, Bluetooth devices and focus. The utility queue goes first, so no report is
    // being read when the Bluetooth backend goes.
    std::unique_ptr<PowerSources> powerSources_;
    std::unique_ptr<BluetoothDevices> bluetoothDevices_;
    std::unique_ptr<DesktopFocus> desktopFocus_;
    std::unique_ptr<Accessibility> accessibility_;
    // Read on the utility queue, so it goes after it.
    std::unique_ptr<AccountPicture> accountPicture_;
    std::unique_ptr<SerialQueue> utilityQueue_;

    // Widgets.
    std::unique_ptr<LocationManager> location_;
    std::unique_ptr<ModuleCalendarStore> calendarStore_;

    // Media keys and display brightness.
    std::unique_ptr<EventTaps> eventTaps_;
    std::unique_ptr<AccessibilityTrust> accessibilityTrust_;
    std::unique_ptr<SysfsBacklight> backlight_;

    // Screen-locker windows, which the panels stay below and the lock notices follow.
    std::unique_ptr<X11ScreenLockers> screenLockers_;

    // The island's windows, the pointer, the status bar and the desktop.
    // The panels report the pointer's moves over them to the monitor.
    std::unique_ptr<PointerMonitor> pointerMonitor_;
    std::unique_ptr<PanelWindows> panelWindows_;
    std::unique_ptr<StatusBar> statusBar_;
    std::unique_ptr<WindowServer> windowServer_;
    std::unique_ptr<Haptics> haptics_;

    // The lock screen.
    std::unique_ptr<ScreenLockNotifications> screenLock_;
    std::unique_ptr<LockScreenSpace> lockScreenSpace_;

    // The settings window and the desktop picture (the account picture is above).
    std::unique_ptr<Windows> windows_;
    std::unique_ptr<DesktopPicture> desktopPicture_;

    Platform platform_;
};

}  // namespace quorlix::platform
