#pragma once
// The focus (Do Not Disturb) mode: whether one is on, and which.
//
// `onChange` is called when a focus switches on or off: not at the first reading and not on a
// change of name alone. The application turns it into the focus alert.
//
// Each reading tries, in order: the focus assertions file, the desktop's do-not-disturb switch
// (which has no mode names: "No molestar") and the menu bar's Focus item through the
// accessibility interface. Readings run in bursts of three (0.05, 0.3 and 0.7 s later) after
// each sign of a change from the menu bar, the Focus item or the desktop switch, and on a poll,
// every 0.5 s while a focus is on and every 2.0 s otherwise, but only while a source that
// cannot announce its changes exists (an assertions file, a menu bar): on Linux the desktop
// switch's change signal is the only trigger, and nothing runs in between. Main thread only.

#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/published.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

class FocusMonitor final : public ObservableObject {
public:
    struct State {
        bool active = false;
        // Spanish display name of the mode; "No molestar" when off or not recognised.
        std::string name;

        friend bool operator==(const State&, const State&) = default;
    };

    // Uses the installed platform and the user's assertions file, where the system keeps one.
    FocusMonitor();
    FocusMonitor(const platform::Platform& platform, std::optional<std::filesystem::path> assertionsFile);
    ~FocusMonitor() override;

    // The last reading; none while no reading has succeeded.
    Published<std::optional<State>> state{this, std::nullopt};
    std::function<void(const State&)> onChange;

    // Takes the first reading (without calling back) and begins watching. Once only.
    void start();

    // The user's focus assertions file, ~/Library/DoNotDisturb/DB/Assertions.json, on a system
    // that keeps one; none on Linux, where no such file is ever written.
    static std::optional<std::filesystem::path> defaultAssertionsFile();
    // Whether readings need a poll: some source cannot announce its changes.
    bool polls() const;
    // The focus the assertions file records; none when it cannot be read or is malformed.
    static std::optional<State> fromAssertions(const std::filesystem::path& file);
    // The display name of a mode identifier, by its last dot-separated component.
    static std::string nameForMode(std::string_view identifier);
    // The first display name that a menu-bar description contains.
    static std::string modeName(std::string_view description);

    static constexpr double activePollInterval = 0.5;
    static constexpr double idlePollInterval = 2.0;
    static constexpr double burstDelays[] = {0.05, 0.3, 0.7};
    // The accessibility reads of one menu-bar process give up after this.
    static constexpr double messagingTimeout = 0.25;
    // Readings slower than this are logged.
    static constexpr double slowReading = 0.15;

private:
    struct MenuBarReading {
        std::optional<State> state;
        platform::AccessibilityElementRef item;
    };

    void refresh();
    std::optional<State> readAssertions() const;
    void scheduleRefresh();
    void scheduleTimer();
    void tick();
    void signal(const char* source);
    void watchMenuBar();
    void watchItem(const platform::AccessibilityElementRef& item);
    std::optional<State> fromDesktop() const;
    MenuBarReading fromMenuBar();
    platform::AccessibilityElementRef findFocus(const platform::AccessibilityElementRef& element, int depth,
                                                std::vector<std::string>& seen) const;
    std::vector<std::int32_t> menuBarPIDs() const;

    platform::Accessibility* accessibility_ = nullptr;
    platform::DesktopFocus* desktop_ = nullptr;
    std::optional<std::filesystem::path> assertionsFile_;

    bool started_ = false;
    double pollInterval_ = idlePollInterval;
    platform::WorkItem timer_;
    std::vector<Subscription> observers_;
    std::vector<std::int32_t> observedPIDs_;
    bool pendingRefresh_ = false;
    std::vector<platform::WorkItem> burst_;
    platform::AccessibilityElementRef watchedItem_;
    Subscription itemObserver_;
    Subscription desktopObserver_;
    std::optional<Date> lastSignal_;
    std::string lastSignalSource_;
    bool notFoundLogged_ = false;
};

}  // namespace quorlix
