#include "fakes/fake_platform.h"

#include "foundation/app_settings.h"
#include "platform/user_defaults.h"
#include "services/brightness_service.h"
#include "services/media_key_interceptor.h"
#include "window/sky_light.h"

#include "settings/user_profile.h"
#include "settings/wallpaper.h"

#include <cstdlib>
#include <random>

namespace quorlix::fakes {

namespace fs = std::filesystem;

namespace {
const char* const variables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
                                 "XDG_CACHE_HOME"};

// The shared instances hold on to the platform they were built on; the interceptor also holds
// the brightness service.
void dropSharedInstances() {
    MediaKeyInterceptor::resetShared();
    BrightnessService::resetShared();
    SkyLight::resetShared();
}
}  // namespace

TempHome::TempHome() {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("quorlix-test-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(root_ / "home");
    for (const char* v : variables) {
        const char* old = std::getenv(v);
        saved_[v] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv("HOME", (root_ / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", config().c_str(), 1);
    setenv("XDG_DATA_HOME", data().c_str(), 1);
    setenv("XDG_STATE_HOME", state().c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    AppSettings::resetShared();
    platform::UserDefaults::resetStandard();
}

TempHome::~TempHome() {
    AppSettings::resetShared();
    platform::UserDefaults::resetStandard();
    for (const auto& [name, value] : saved_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
}

std::optional<std::string> FakeLoginItem::registerItem() {
    ++changes;
    if (failure) return failure;
    enabled = true;
    return std::nullopt;
}

std::optional<std::string> FakeLoginItem::unregisterItem() {
    ++changes;
    if (failure) return failure;
    enabled = false;
    return std::nullopt;
}

std::shared_ptr<platform::Sound> FakeSoundPlayer::soundFromFile(const fs::path& file) {
    const auto it = files.find(file.filename().string());
    if (it == files.end()) return nullptr;
    created.push_back(std::make_shared<FakeSound>(it->first, it->second));
    return created.back();
}

std::shared_ptr<platform::Sound> FakeSoundPlayer::systemSound(const std::string& name) {
    const auto it = systemSounds.find(name);
    if (it == systemSounds.end()) return nullptr;
    created.push_back(std::make_shared<FakeSound>(it->first, it->second));
    return created.back();
}

std::optional<platform::Screen> FakeScreens::mainScreen() const {
    if (list.empty()) return std::nullopt;
    return list.front();
}

platform::Screen FakeScreens::notchedLaptop() {
    platform::Screen s;
    s.id = "built-in";
    s.name = "Pantalla integrada";
    s.frame = Rect(0, 0, 1512, 982);
    s.safeAreaInsets.top = 32;
    s.auxiliaryTopLeftArea = Rect(0, 950, 650, 32);
    s.auxiliaryTopRightArea = Rect(837, 950, 675, 32);
    s.isBuiltIn = true;
    s.backingScaleFactor = 2;
    return s;
}

platform::Screen FakeScreens::externalDisplay(double x) {
    platform::Screen s;
    s.id = "external";
    s.name = "Monitor externo";
    s.frame = Rect(x, 0, 2560, 1440);
    return s;
}

FakePlatform::FakePlatform() {
    platform_.mainQueue = &time.queue;
    platform_.clock = &time.clock;
    platform_.loginItem = &loginItem;
    platform_.soundPlayer = &soundPlayer;
    platform_.screens = &screens;
    platform_.scriptHost = &scriptHost;
    platform_.playerNotifications = &playerNotifications;
    platform_.workspace = &workspace;
    platform_.imageDecoder = &imageDecoder;
    platform_.httpClient = &httpClient;
    platform_.audio = &audio;
    platform_.cameras = &cameras;
    platform_.processLauncher = &processLauncher;
    platform_.trash = &trash;
    platform_.alerts = &alerts;
    platform_.applicationInstance = &applicationInstance;

    // AI coding agents.
    platform_.agentNotifications = &agentNotifications;

    // Battery, Bluetooth devices and focus.
    platform_.powerSources = &powerSources;
    platform_.bluetoothDevices = &bluetoothDevices;
    platform_.desktopFocus = &desktopFocus;
    platform_.accessibility = &accessibility;
    platform_.utilityQueue = &utilityQueue;

    // Widgets.
    platform_.location = &location;
    platform_.calendarStore = &calendarStore;

    // Media keys and display brightness.
    platform_.eventTaps = &eventTaps;
    platform_.accessibilityTrust = &accessibilityTrust;
    platform_.displayBrightness = &displayBrightness;

    // The island's windows, the pointer, the status bar and the desktop.
    platform_.panelWindows = &panelWindows;
    platform_.pointerMonitor = &pointerMonitor;
    platform_.statusBar = &statusBar;
    platform_.windowServer = &windowServer;
    platform_.haptics = &haptics;

    // The lock screen.
    platform_.screenLock = &screenLock;
    platform_.lockScreenSpace = &lockScreenSpace;

    platform_.windows = &windows;
    platform_.desktopPicture = &desktopPicture;
    platform_.accountPicture = &accountPicture;
    platform::install(platform_);
    dropSharedInstances();
}

FakePlatform::~FakePlatform() {
    dropSharedInstances();
    AppSettings::resetShared();
    UserProfile::resetShared();
    Wallpaper::resetShared();
    platform::install(platform::Platform{});
}

}  // namespace quorlix::fakes
