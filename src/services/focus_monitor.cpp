#include "services/focus_monitor.h"

#include "platform/atomic_file.h"
#include "platform/key_log.h"
#include "platform/main_queue.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "services/text_match.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <utility>

namespace quorlix {

namespace {

using platform::AccessibilityElement;
using platform::AccessibilityElementRef;
using Json = nlohmann::json;

constexpr const char* defaultName = "No molestar";

// The processes that draw the menu bar, by bundle identifier.
constexpr std::array<const char*, 3> menuBarApplications = {
    "com.apple.controlcenter", "com.apple.MenuBarAgent", "com.apple.systemuiserver"};
constexpr std::array<const char*, 2> menuBarAttributes = {"AXExtrasMenuBar", "AXMenuBar"};
constexpr std::array<const char*, 4> descriptionAttributes = {"AXIdentifier", "AXDescription", "AXTitle",
                                                              "AXHelp"};
constexpr std::array<const char*, 6> focusKeywords = {"focusmode", "focus mode",  "concentraci",
                                                      "enfoque",   "no molestar", "do not disturb"};

struct Mode {
    const char* identifier;
    const char* name;
};
constexpr std::array<Mode, 8> modes = {{{"sleep", "Dormir"},
                                        {"work", "Trabajo"},
                                        {"personal", "Personal"},
                                        {"driving", "Conducir"},
                                        {"fitness", "Ejercicio"},
                                        {"gaming", "Juegos"},
                                        {"mindfulness", "Mindfulness"},
                                        {"reading", "Lectura"}}};

// The menu-bar search goes this deep below each menu bar and remembers this many
// descriptions for the diagnostic line.
constexpr int searchDepth = 4;
constexpr std::size_t seenLimit = 60;

bool isArrayOfObjects(const Json& value) {
    return value.is_array() &&
           std::all_of(value.begin(), value.end(), [](const Json& v) { return v.is_object(); });
}

std::string milliseconds(double seconds) { return platform::formatNumber(seconds * 1000, 0) + " ms"; }

std::string describe(const AccessibilityElement& element) {
    std::string out;
    bool first = true;
    for (const char* attribute : descriptionAttributes) {
        const std::optional<std::string> text = element.text(attribute);
        if (!text) continue;
        if (!first) out += ' ';
        out += *text;
        first = false;
    }
    return out;
}

bool mentionsFocus(std::string_view description) {
    const std::string lower = asciiLowercased(description);
    return std::any_of(focusKeywords.begin(), focusKeywords.end(),
                       [&](const char* keyword) { return lower.find(keyword) != std::string::npos; });
}

double now() { return platform::Clock::shared().now(); }

}  // namespace

FocusMonitor::FocusMonitor() : FocusMonitor(platform::installed(), defaultAssertionsFile()) {}

FocusMonitor::FocusMonitor(const platform::Platform& platform, std::optional<std::filesystem::path> assertionsFile)
    : accessibility_(platform.accessibility),
      desktop_(platform.desktopFocus),
      assertionsFile_(std::move(assertionsFile)) {}

FocusMonitor::~FocusMonitor() = default;

std::optional<std::filesystem::path> FocusMonitor::defaultAssertionsFile() {
#ifdef __APPLE__
    return platform::Paths::home() / "Library/DoNotDisturb/DB/Assertions.json";
#else
    return std::nullopt;
#endif
}

bool FocusMonitor::polls() const {
    return assertionsFile_.has_value() || (accessibility_ && accessibility_->hasMenuBar());
}

std::optional<FocusMonitor::State> FocusMonitor::readAssertions() const {
    return assertionsFile_ ? fromAssertions(*assertionsFile_) : std::nullopt;
}

std::optional<FocusMonitor::State> FocusMonitor::fromAssertions(const std::filesystem::path& file) {
    const std::optional<std::string> bytes = platform::readFile(file);
    if (!bytes) return std::nullopt;
    const Json root = Json::parse(*bytes, nullptr, false);
    if (root.is_discarded() || !root.is_object()) return std::nullopt;
    const auto data = root.find("data");
    if (data == root.end() || !isArrayOfObjects(*data)) return std::nullopt;

    const Json* firstRecord = nullptr;
    for (const Json& element : *data) {
        const auto records = element.find("storeAssertionRecords");
        if (records == element.end() || !isArrayOfObjects(*records) || records->empty()) continue;
        firstRecord = &records->front();
        break;
    }
    if (!firstRecord) return State{false, defaultName};

    std::string identifier;
    const auto details = firstRecord->find("assertionDetails");
    if (details != firstRecord->end() && details->is_object()) {
        const auto mode = details->find("assertionDetailsModeIdentifier");
        if (mode != details->end() && mode->is_string()) identifier = mode->get<std::string>();
    }
    return State{true, nameForMode(identifier)};
}

std::string FocusMonitor::nameForMode(std::string_view identifier) {
    const auto dot = identifier.rfind('.');
    const std::string_view last = dot == std::string_view::npos ? identifier : identifier.substr(dot + 1);
    for (const Mode& mode : modes)
        if (last == mode.identifier) return mode.name;
    return defaultName;
}

std::string FocusMonitor::modeName(std::string_view description) {
    for (const Mode& mode : modes)
        if (containsIgnoringCase(description, mode.name)) return mode.name;
    return defaultName;
}

void FocusMonitor::start() {
    if (started_) return;
    started_ = true;
    std::optional<State> first = readAssertions();
    if (!first) first = fromDesktop();
    if (!first) first = fromMenuBar().state;
    state = first;
    watchMenuBar();
    if (desktop_) desktopObserver_ = desktop_->observe([this] { signal("barra"); });
    scheduleTimer();
}

std::optional<FocusMonitor::State> FocusMonitor::fromDesktop() const {
    if (!desktop_) return std::nullopt;
    const std::optional<bool> on = desktop_->doNotDisturb();
    if (!on) return std::nullopt;
    return State{*on, defaultName};
}

void FocusMonitor::refresh() {
    const double start = now();
    const Date startDate = platform::Clock::shared().date();

    std::optional<State> reading = readAssertions();
    AccessibilityElementRef item;
    if (!reading) reading = fromDesktop();
    if (!reading) {
        MenuBarReading menuBar = fromMenuBar();
        reading = std::move(menuBar.state);
        item = std::move(menuBar.item);
    }
    if (!reading) return;

    watchItem(reading->active ? item : nullptr);
    const std::optional<State> old = state.get();
    state = reading;
    if (!old) {
        scheduleTimer();
    } else if (old->active != reading->active) {
        scheduleTimer();
        if (onChange) onChange(*reading);
        const std::string ago =
            lastSignal_ ? platform::formatNumber(startDate.timeIntervalSince(*lastSignal_), 2) + " s"
                        : std::string("–");
        KeyLog::write(std::string("focus: ") + (reading->active ? "activado" : "desactivado") + " · aviso " +
                      lastSignalSource_ + " hace " + ago + " · lectura " + milliseconds(now() - start));
    }
    const double elapsed = now() - start;
    if (elapsed > slowReading) KeyLog::write("focus: lectura lenta " + milliseconds(elapsed));
}

void FocusMonitor::signal(const char* source) {
    lastSignal_ = platform::Clock::shared().date();
    lastSignalSource_ = source;
    scheduleRefresh();
}

void FocusMonitor::scheduleRefresh() {
    // Signals that arrive before a burst's first reading are merged into it.
    if (pendingRefresh_) return;
    pendingRefresh_ = true;
    std::erase_if(burst_, [](const platform::WorkItem& w) { return !w.isPending(); });
    bool first = true;
    for (double delay : burstDelays) {
        burst_.push_back(platform::MainQueue::shared().after(delay, [this, first] {
            if (first) pendingRefresh_ = false;
            refresh();
        }));
        first = false;
    }
}

void FocusMonitor::scheduleTimer() {
    if (!polls()) return;
    pollInterval_ = state.get() && state.get()->active ? activePollInterval : idlePollInterval;
    timer_ = platform::MainQueue::shared().after(pollInterval_, [this] { tick(); });
}

void FocusMonitor::tick() {
    // A repeating timer: the next tick is planned first, so a reading that switches the
    // interval replaces it.
    timer_ = platform::MainQueue::shared().after(pollInterval_, [this] { tick(); });
    if (menuBarPIDs() != observedPIDs_) watchMenuBar();
    refresh();
}

std::vector<std::int32_t> FocusMonitor::menuBarPIDs() const {
    std::vector<std::int32_t> pids;
    if (!accessibility_) return pids;
    for (const char* bundle : menuBarApplications) {
        const std::vector<std::int32_t> running = accessibility_->runningApplications(bundle);
        pids.insert(pids.end(), running.begin(), running.end());
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

void FocusMonitor::watchMenuBar() {
    if (!accessibility_ || !accessibility_->isTrusted()) return;
    observers_.clear();
    observedPIDs_ = menuBarPIDs();
    for (const char* bundle : menuBarApplications) {
        for (std::int32_t pid : accessibility_->runningApplications(bundle)) {
            const AccessibilityElementRef application =
                accessibility_->applicationElement(pid, messagingTimeout);
            if (!application) continue;
            std::optional<Subscription> observer = accessibility_->observe(
                pid, application, {"AXCreated", "AXUIElementDestroyed", "AXLayoutChanged", "AXMoved"},
                [this] { signal("barra"); });
            if (observer) observers_.push_back(std::move(*observer));
        }
    }
}

void FocusMonitor::watchItem(const AccessibilityElementRef& item) {
    if (!item && !watchedItem_) return;
    if (item && watchedItem_ && item->isEqual(*watchedItem_)) return;
    itemObserver_.cancel();
    watchedItem_ = item;
    if (!item || !accessibility_) return;
    const std::optional<std::int32_t> pid = item->processIdentifier();
    if (!pid) return;
    std::optional<Subscription> observer = accessibility_->observe(
        *pid, item, {"AXUIElementDestroyed", "AXMoved", "AXResized"}, [this] { signal("lunita"); });
    if (observer) itemObserver_ = std::move(*observer);
}

FocusMonitor::MenuBarReading FocusMonitor::fromMenuBar() {
    if (!accessibility_ || !accessibility_->isTrusted()) return {};
    std::vector<std::string> seen;
    bool anyProcess = false;
    for (const char* bundle : menuBarApplications) {
        for (std::int32_t pid : accessibility_->runningApplications(bundle)) {
            anyProcess = true;
            const AccessibilityElementRef application =
                accessibility_->applicationElement(pid, messagingTimeout);
            if (!application) continue;
            std::vector<AccessibilityElementRef> candidates;
            for (const char* attribute : menuBarAttributes)
                if (AccessibilityElementRef bar = application->element(attribute))
                    candidates.push_back(std::move(bar));
            if (candidates.empty()) candidates = application->elements("AXChildren").value_or(candidates);
            for (const AccessibilityElementRef& candidate : candidates) {
                if (!candidate) continue;
                if (AccessibilityElementRef found = findFocus(candidate, searchDepth, seen))
                    return {State{true, modeName(describe(*found))}, found};
            }
        }
    }
    if (!notFoundLogged_) {
        notFoundLogged_ = true;
        std::string joined;
        for (const std::string& d : seen) joined += (joined.empty() ? "" : " | ") + d;
        // The log turns any control character in these texts into a space.
        KeyLog::write(std::string("focus: ") + (anyProcess ? "buscado" : "sin procesos") + " · " + joined);
    }
    if (!anyProcess) return {};
    return {State{false, defaultName}, nullptr};
}

AccessibilityElementRef FocusMonitor::findFocus(const AccessibilityElementRef& element, int depth,
                                                std::vector<std::string>& seen) const {
    const std::string d = describe(*element);
    if (!d.empty() && seen.size() < seenLimit) seen.push_back(d);
    if (mentionsFocus(d)) return element;
    if (depth < 1) return nullptr;
    const std::optional<std::vector<AccessibilityElementRef>> children = element->elements("AXChildren");
    if (!children) return nullptr;
    for (const AccessibilityElementRef& child : *children) {
        if (!child) continue;
        if (AccessibilityElementRef found = findFocus(child, depth - 1, seen)) return found;
    }
    return nullptr;
}

}  // namespace quorlix
