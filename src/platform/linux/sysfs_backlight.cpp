#include "platform/linux/sysfs_backlight.h"

#include "platform/linux/udev_monitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
// The session of the caller, or the user's graphical session when the caller is outside one.
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// Lower is preferred: firmware interfaces know the panel best.
int rank(const std::string& type) {
    if (type == "firmware") return 0;
    if (type == "platform") return 1;
    return 2;
}

}  // namespace

SysfsBacklight::SysfsBacklight(QDBusConnection systemBus, fs::path root, double pollSeconds)
    : bus_(std::move(systemBus)), context_(std::make_unique<QObject>()) {
    std::vector<std::pair<int, Device>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec)) {
        const fs::path folder = entry.path();
        if (!fs::exists(folder / "max_brightness", ec)) continue;
        const fs::path real = fs::canonical(folder, ec);
        const bool external = !ec && real.string().find("ddcci") != std::string::npos;
        found.push_back({rank(firstLine(folder / "type")), {folder.filename().string(), folder, !external}});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
    });
    for (auto& [rank, device] : found) devices_.push_back(std::move(device));

    poll_ = new QTimer(context_.get());
    poll_->setInterval(std::max(1, int(std::lround(pollSeconds * 1000))));
    QObject::connect(poll_, &QTimer::timeout, [this] { check(); });
}

SysfsBacklight::~SysfsBacklight() = default;

const SysfsBacklight::Device* SysfsBacklight::device(DisplayID display) const {
    if (display == 0 || display > devices_.size()) return nullptr;
    return &devices_[display - 1];
}

std::vector<DisplayBrightness::Display> SysfsBacklight::displays() const {
    std::vector<Display> list;
    for (std::size_t i = 0; i < devices_.size(); ++i)
        list.push_back({DisplayID(i + 1), devices_[i].isBuiltIn});
    return list;
}

DisplayID SysfsBacklight::mainDisplay() const { return devices_.empty() ? 0 : 1; }

bool SysfsBacklight::canWrite() const { return bus_.isConnected(); }

std::optional<long> SysfsBacklight::readNumber(DisplayID display, const char* file) const {
    const Device* d = device(display);
    if (!d) return std::nullopt;
    const std::string text = firstLine(d->folder / file);
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || value < 0) return std::nullopt;
    return value;
}

std::optional<float> SysfsBacklight::brightness(DisplayID display) const {
    const auto max = readNumber(display, "max_brightness");
    const auto actual = readNumber(display, "actual_brightness");
    if (!max || !actual || *max <= 0) return std::nullopt;
    return std::clamp(float(*actual) / float(*max), 0.0f, 1.0f);
}

bool SysfsBacklight::setBrightness(DisplayID display, float value) {
    const Device* d = device(display);
    const auto max = readNumber(display, "max_brightness");
    if (!d || !max || *max <= 0 || !bus_.isConnected() || std::isnan(value)) return false;
    const auto raw = std::uint32_t(std::lround(std::clamp(value, 0.0f, 1.0f) * float(*max)));
    QDBusMessage call = QDBusMessage::createMethodCall(logindService, sessionPath, sessionInterface,
                                                       QStringLiteral("SetBrightness"));
    call << QStringLiteral("backlight") << QString::fromStdString(d->name) << raw;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), context_.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [this, watcher] {
        watcher->deleteLater();
        check();
    });
    return true;
}

Subscription SysfsBacklight::listen(DisplayID display, std::function<void()> changed) {
    if (!device(display)) return {};
    // Changes from before anyone listened are no news.
    if (listeners_.count(display) == 0) seen_[display] = readNumber(display, "actual_brightness");
    if (!poll_->isActive()) poll_->start();
    if (!udev_) udev_ = std::make_unique<UdevMonitor>("backlight", [this] { check(); });
    return listeners_.add(display, std::move(changed));
}

void SysfsBacklight::check() {
    bool followed = false;
    for (auto& [display, last] : seen_) {
        if (listeners_.count(display) == 0) continue;
        followed = true;
        const auto now = readNumber(display, "actual_brightness");
        if (now == last) continue;
        last = now;
        listeners_.notify(display);
    }
    if (!followed) poll_->stop();
}

}  // namespace quorlix::platform
