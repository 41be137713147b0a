#include "app/app_delegate.h"

#include "foundation/app_actions.h"
#include "island/island_state.h"
#include "platform/main_queue.h"
#include "platform/paths.h"
#include "platform/user_defaults.h"
#include "services/brightness_service.h"
#include "services/media_key_interceptor.h"
#include "settings/permission_watcher.h"

#include <sys/stat.h>

namespace quorlix {

namespace {

HUDWiring::Services wiringServices(AppDelegate& app) {
    return {app.hud,       app.volume,     BrightnessService::shared(),
            app.bluetooth, app.battery,    app.focus,
            app.privacy,   app.timer,      app.agents,
            app.calendar,  app.nowPlaying, app.lyrics,
            app.updates};
}

}  // namespace

AppDelegate::AppDelegate(const platform::Platform& platform, std::unique_ptr<AppWindows> windows)
    : settings(AppSettings::shared()),
      platform_(platform),
      windows_(windows ? std::move(windows) : AppWindows::make(*this)),
      wiring_(wiringServices(*this)) {
    if (platform_.pointerMonitor) dragChangeCount_ = platform_.pointerMonitor->dragChangeCount();
}

AppDelegate::~AppDelegate() {
    AppActions::reset();
    // The keys must not reach a volume service that is gone.
    if (launched_) MediaKeyInterceptor::shared().setVolume(nullptr);
    for (auto& controller : controllers_) controller->tearDown();
}

IslandServices AppDelegate::islandServices() {
    return {settings, nowPlaying, lyrics, tray, weather, volume, hud, timer, agents, calendar};
}

void AppDelegate::applicationDidFinishLaunching() {
    launched_ = true;
    AppActions::openSettingsSection =
        lifetime_.guard([this](SettingsSection section) { windows_->showSettings(section); });
    AppActions::previewIslandSize = lifetime_.guard([this] {
        if (!controllers_.empty()) controllers_.front()->previewSize();
    });
    // The island first: its panel goes to the screen as it is made, so it shows while the rest
    // starts (the services it draws publish what they find as they find it).
    rebuildWindows();
    const bool offeredMove = windows_->offerMoveIfNeeded();

    // The sound server is first read here, its connection waiting for its first state on the
    // event loop: before the other services start, so none of their posted work runs inside
    // that wait, ahead of the rest of the launch.
    volume.start();
    nowPlaying.start();
    if (settings.weatherEnabled.get()) weather.start();
    bluetooth.start();
    battery.start();

    wiring_.subscribeTrackChanges();
    wiring_.installVolume();
    wiring_.installBrightness();
    BrightnessService::shared().start();
    MediaKeyInterceptor::shared().setVolume(&volume);
    accessibilityDecision();
    wiring_.installOutput();
    wiring_.installDevice();
    wiring_.installTimer();
    wiring_.installAgents();
    browserAI.agents = &agents;
    browserAI.update(Features::browserAI());
    wiring_.installCalendar();
    calendar.start();
    wiring_.installPrivacy();
    privacy.start();
    wiring_.installFocus();
    focus.start();
    // The battery service already started: these see only later changes.
    wiring_.installBattery();

    observeSettings();
    observeSystem();
    installMouseMonitors();
    updateStatusItem();
    lockScreen = std::make_unique<LockScreenController>(
        LockScreenServices{settings, nowPlaying, lyrics, volume, weather, battery}, platform_);
    installMainMenu();

    // Once per launch; the status menu and the settings start later checks.
    updateCheck_ = platform::MainQueue::shared().async([this] {
        if (!settings.autoCheckUpdates.get()) return;
        updates.check(lifetime_.guard([this] { wiring_.announceUpdate(); }));
    });

    developerPreviewOrOnboarding(offeredMove);
}

std::string AppDelegate::buildSignature() {
    std::int64_t seconds = 0;
    struct stat info {};
    if (::stat(platform::Paths::executable().c_str(), &info) == 0) seconds = info.st_mtim.tv_sec;
    return UpdateService::currentBuild() + "-" + std::to_string(seconds);
}

void AppDelegate::accessibilityDecision() {
    auto& defaults = platform::UserDefaults::standard();
    const std::string signature = buildSignature();
    const auto asked = defaults.stringForKey("accessibilityAskedFor");
    const platform::AccessibilityTrust* trust = platform_.accessibilityTrust;
    const auto trusted = [trust] { return trust && trust->isProcessTrusted(); };
    // Each build asks at most once, and nothing asks for a trust that can never be granted.
    const bool grantable = !trust || trust->canBeGranted();
    askAccessibility = (!asked || *asked != signature) && !trusted() && grantable;
    MediaKeyInterceptor::shared().update(settings.replaceSystemHUD.get(), false);
    defaults.setString("accessibilityAskedFor", signature);
    if (trusted()) PermissionWatcher::rememberTrusted();
}

void AppDelegate::developerPreviewOrOnboarding(bool offeredMove) {
    const auto& defaults = platform::UserDefaults::standard();
    if (const auto raw = defaults.stringForKey("previewTab")) {
        if (const auto tab = fromRawValue<IslandTab>(*raw)) {
            if (!controllers_.empty()) controllers_.front()->pinOpen(*tab);
            return;
        }
    }
    if (const auto kind = defaults.stringForKey("previewHUD")) {
        wiring_.previewHUD(*kind);
        return;
    }
    if (defaults.boolForKey("previewLockScreen")) {
        lockScreen->preview();
        return;
    }
    if (const auto step = defaults.stringForKey("previewOnboarding")) {
        windows_->showOnboarding(*step == "permission");
        return;
    }
    if (const auto raw = defaults.stringForKey("previewSettings")) {
        if (const auto section = fromRawValue<SettingsSection>(*raw)) {
            windows_->showSettings(*section);
            return;
        }
    }
    // No onboarding in a run that offered the move.
    if (offeredMove) return;
    const bool welcome = defaults.boolForKey("didShowWelcome");
    if (welcome && !askAccessibility) return;
    windows_->showOnboarding(welcome);
}

void AppDelegate::openURLs(const std::vector<std::string>& urls) {
    for (const auto& url : urls) agents.handle(url);
}

bool AppDelegate::applicationShouldHandleReopen() {
    windows_->showSettings(SettingsSection::general);
    return true;
}

}  // namespace quorlix
