// The application delegate keeps the running system in step with the settings and the
// screens, rebuilds the islands, and forwards the pointer to them.

#include "app/app_delegate.h"
#include "platform/main_queue.h"
#include "services/media_key_interceptor.h"

namespace quorlix {

namespace {

// Space and application switches settle before the full-screen check looks.
constexpr double fullscreenCheckDelay = 0.6;

}  // namespace

template <class T>
void AppDelegate::onChange(Published<T>& setting, std::function<void()> action) {
    // Later values only; the action runs once the assignment (and its write) has completed.
    cancellables_.push_back(setting.sink([this, action = std::move(action)](const T&) {
        platform::MainQueue::shared().post(lifetime_.guard(action));
    }));
}

void AppDelegate::observeSettings() {
    const auto applyToIslands = [this] {
        for (auto& controller : controllers_) controller->applySettings();
    };
    const auto previewSize = [this] {
        if (!controllers_.empty()) controllers_.front()->previewSize();
    };
    const auto reloadCalendar = [this] { calendar.reload(); };
    const auto updateBrowserAI = [this] { browserAI.update(Features::browserAI()); };
    const auto updateLiveVisibility = [this] { nowPlaying.updateLiveVisibility(); };
    const auto reloadLyrics = [this] { wiring_.trackChanged(); };

    onChange(settings.showOnAllScreens, [this] { rebuildWindows(); });
    onChange(settings.hideInScreenshots, applyToIslands);
    onChange(settings.hideInFullscreen, applyToIslands);
    // Switching it on may ask for the permission.
    onChange(settings.replaceSystemHUD, [this] {
        const bool on = settings.replaceSystemHUD.get();
        MediaKeyInterceptor::shared().update(on, on);
    });
    onChange(settings.menuBarIcon, [this] { updateStatusItem(); });
    onChange(settings.islandWidth, previewSize);
    onChange(settings.islandHeight, previewSize);
    // Equal city names in a row are one change.
    cancellables_.push_back(
        settings.weatherCity.sink([this, last = settings.weatherCity.get()](const std::string& city) mutable {
            if (city == last) return;
            last = city;
            platform::MainQueue::shared().post(lifetime_.guard([this] { weather.reloadLocation(); }));
        }));
    onChange(settings.weatherEnabled, [this] {
        if (settings.weatherEnabled.get())
            weather.start();
        else
            weather.timer.cancel();
    });
    onChange(settings.useFahrenheit, [this] { weather.refresh(); });
    onChange(settings.mediaSource, [this] { nowPlaying.reload(); });
    onChange(settings.calendarReminderMinutes, reloadCalendar);
    onChange(settings.calendarReminders, reloadCalendar);
    onChange(settings.browserAI, updateBrowserAI);
    onChange(settings.agentAlerts, updateBrowserAI);
    onChange(settings.collapseOnPause, updateLiveVisibility);
    onChange(settings.hideAfterPause, updateLiveVisibility);
    onChange(settings.lyricsEnabled, reloadLyrics);
    onChange(settings.mediaEnabled, reloadLyrics);
}

void AppDelegate::observeSystem() {
    platform::WindowServer* server = platform_.windowServer;
    if (!server) return;
    cancellables_.push_back(server->onScreenParametersChanged(lifetime_.guard([this] { rebuildWindows(); })));
    // Each notice schedules its own check; none is coalesced or cancelled.
    const auto checkSoon = lifetime_.guard([this] {
        platform::MainQueue::shared()
            .after(fullscreenCheckDelay, lifetime_.guard([this] {
                for (auto& controller : controllers_) controller->updateFullscreenVisibility();
            }))
            .detach();
    });
    cancellables_.push_back(server->onActiveSpaceChanged(checkSoon));
    cancellables_.push_back(server->onApplicationActivated(checkSoon));
    cancellables_.push_back(server->onFrontWindowChanged(checkSoon));
}

void AppDelegate::rebuildWindows() {
    for (auto& controller : controllers_) controller->tearDown();
    controllers_.clear();
    if (islandHidden_ || !platform_.screens) return;

    const auto screens = platform_.screens->screens();
    std::vector<platform::Screen> chosen;
    if (settings.showOnAllScreens.get()) {
        chosen = screens;
    } else {
        // The display with a camera housing, else the first one.
        const auto notched = std::find_if(screens.begin(), screens.end(), [](const platform::Screen& s) {
            return s.safeAreaInsets.top > 0 && s.auxiliaryTopLeftArea;
        });
        if (notched != screens.end())
            chosen.push_back(*notched);
        else if (!screens.empty())
            chosen.push_back(screens.front());
    }
    for (const auto& screen : chosen)
        controllers_.push_back(std::make_unique<NotchWindowController>(screen, islandServices(), platform_));
}

void AppDelegate::installMouseMonitors() {
    if (!platform_.pointerMonitor) return;
    if (auto subscription = platform_.pointerMonitor->monitor(
            lifetime_.guard([this](const platform::PointerEvent& event) { handle(event); })))
        monitors_.push_back(std::move(*subscription));
}

void AppDelegate::handle(const platform::PointerEvent& event) {
    using Type = platform::PointerEventType;
    if (event.type == Type::scrollWheel) {
        for (auto& controller : controllers_) controller->handleScroll(event.scroll, event.location);
        return;
    }
    if (event.type == Type::leftMouseDown) dragChangeCount_ = platform_.pointerMonitor->dragChangeCount();
    // A drag that carries data (files) changes the drag pasteboard after the button went
    // down; moving a window or selecting text does not.
    const bool fileDrag = event.type == Type::leftMouseDragged &&
                          platform_.pointerMonitor->dragChangeCount() != dragChangeCount_;
    for (auto& controller : controllers_) controller->handleMouse(event.location, event.type, fileDrag);
}

}  // namespace quorlix
