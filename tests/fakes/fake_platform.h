#pragma once
// The fake platform: virtual time, a temporary home folder and scripted backends. A test
// that creates a `FakePlatform` runs with HOME and the XDG folders pointed at a fresh
// temporary tree, and with every process-wide accessor installed from the fakes.

#include "fakes/fake_agent_notifications.h"
#include "fakes/fake_audio_hardware.h"
#include "fakes/fake_cameras.h"
#include "fakes/fake_media.h"
#include "fakes/fake_media_keys.h"
#include "fakes/fake_moving.h"
#include "fakes/virtual_time.h"

// Battery, Bluetooth devices and focus.
#include "fakes/fake_bluetooth_devices.h"
#include "fakes/fake_focus_sources.h"
#include "fakes/fake_power_sources.h"

// Widgets.
#include "fakes/fake_widgets.h"

// The island's windows, the pointer, the status bar and the desktop.
#include "fakes/fake_desktop.h"

// The lock screen.
#include "fakes/fake_lock_screen.h"

// The settings window, the desktop picture and the account picture.
#include "fakes/fake_settings_window.h"

#include "platform/platform.h"

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::fakes {

// Points HOME and the XDG variables at a new temporary folder for the object's life, and
// drops the process-wide stores that read them.
class TempHome {
public:
    TempHome();
    ~TempHome();
    const std::filesystem::path& path() const { return root_; }
    std::filesystem::path config() const { return root_ / "config"; }
    std::filesystem::path data() const { return root_ / "data"; }
    std::filesystem::path state() const { return root_ / "state"; }

private:
    std::filesystem::path root_;
    std::map<std::string, std::optional<std::string>> saved_;
};

class FakeLoginItem final : public platform::LoginItem {
public:
    bool enabled = false;
    std::optional<std::string> failure;  // when set, every change fails with it
    int changes = 0;

    bool isEnabled() const override { return enabled; }
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;
};

class FakeSound final : public platform::Sound {
public:
    FakeSound(std::string name, double duration) : name(std::move(name)), length(duration) {}
    std::string name;
    double length;
    double volume = 1;
    int plays = 0;
    double duration() const override { return length; }
    void setVolume(double v) override { volume = v; }
    void play() override { ++plays; }
};

class FakeSoundPlayer final : public platform::SoundPlayer {
public:
    // Files that exist, by file name ("temporizador.wav"), with their durations.
    std::map<std::string, double> files;
    // System sounds that exist, by name, with their durations.
    std::map<std::string, double> systemSounds{{"Pop", 0.2}, {"Glass", 0.9}};
    // Every instance handed out, in order.
    std::vector<std::shared_ptr<FakeSound>> created;

    std::shared_ptr<platform::Sound> soundFromFile(const std::filesystem::path& file) override;
    std::shared_ptr<platform::Sound> systemSound(const std::string& name) override;
};

class FakeScreens final : public platform::Screens {
public:
    std::vector<platform::Screen> list;
    std::vector<platform::Screen> screens() const override { return list; }
    std::optional<platform::Screen> mainScreen() const override;

    // A 1512 by 982 laptop display with a 187 by 32 notch.
    static platform::Screen notchedLaptop();
    // A 2560 by 1440 external display.
    static platform::Screen externalDisplay(double x = 1512);
};

// Records the programs it is asked to start; starts none.
class FakeProcessLauncher final : public platform::ProcessLauncher {
public:
    struct Launch {
        std::string program;
        std::vector<std::string> arguments;
    };
    std::vector<Launch> launches;
    std::optional<std::string> failure;  // when set, every launch fails with it

    std::optional<std::string> launchDetached(const std::string& program,
                                              const std::vector<std::string>& arguments) override {
        if (failure) return failure;
        launches.push_back({program, arguments});
        return std::nullopt;
    }
};

// Runs jobs inline, at once, on the calling thread.
class InlineSerialQueue final : public platform::SerialQueue {
public:
    void async(std::function<void()> job) override { job(); }
};

// Holds jobs until the test lets them run.
class HeldSerialQueue final : public platform::SerialQueue {
public:
    void async(std::function<void()> job) override { jobs.push_back(std::move(job)); }
    void runAll() {
        while (!jobs.empty()) {
            auto job = std::move(jobs.front());
            jobs.pop_front();
            job();
        }
    }
    std::deque<std::function<void()>> jobs;
};

class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();

    TempHome home;
    VirtualTime time;
    FakeLoginItem loginItem;
    FakeSoundPlayer soundPlayer;
    FakeScreens screens;
    FakeScriptHost scriptHost;
    FakePlayerNotifications playerNotifications;
    FakeWorkspace workspace;
    FakeImageDecoder imageDecoder;
    FakeHttpClient httpClient;
    FakeAudioHardware audio;
    FakeCameras cameras;
    FakeProcessLauncher processLauncher;
    FakeTrash trash;
    FakeAlerts alerts;
    FakeApplicationInstance applicationInstance;
    // Media keys and display brightness.
    FakeEventTaps eventTaps;
    FakeAccessibilityTrust accessibilityTrust;
    FakeDisplayBrightness displayBrightness;

    // AI coding agents.
    FakeAgentNotifications agentNotifications;

    // Battery, Bluetooth devices and focus.
    FakePowerSources powerSources;
    FakeBluetoothDevices bluetoothDevices;
    FakeDesktopFocus desktopFocus;
    FakeAccessibility accessibility;
    InlineSerialQueue utilityQueue;

    // Widgets.
    FakeLocationManager location;
    FakeCalendarStore calendarStore;

    // The island's windows, the pointer, the status bar and the desktop.
    FakePanelWindows panelWindows;
    FakePointerMonitor pointerMonitor;
    FakeStatusBar statusBar;
    FakeWindowServer windowServer;
    FakeHaptics haptics;

    // The lock screen.
    FakeScreenLockNotifications screenLock;
    FakeLockScreenSpace lockScreenSpace;

    // The settings window, the desktop picture and the account picture.
    FakeWindows windows;
    FakeDesktopPicture desktopPicture;
    FakeAccountPicture accountPicture;

    const platform::Platform& platform() const { return platform_; }

private:
    platform::Platform platform_;
};

}  // namespace quorlix::fakes
