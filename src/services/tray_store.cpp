#include "services/tray_store.h"

#include "platform/user_defaults.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace quorlix {

namespace fs = std::filesystem;

namespace {

// A random (version 4) UUID in its usual upper-case text form.
std::string newUUID() {
    static std::mt19937_64 engine{std::random_device{}()};
    std::uint64_t high = engine();
    std::uint64_t low = engine();
    high = (high & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
    low = (low & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
    char text[37];
    std::snprintf(text, sizeof text, "%08llX-%04llX-%04llX-%04llX-%012llX", (unsigned long long)(high >> 32),
                  (unsigned long long)((high >> 16) & 0xFFFF), (unsigned long long)(high & 0xFFFF),
                  (unsigned long long)(low >> 48), (unsigned long long)(low & 0xFFFFFFFFFFFFull));
    return text;
}

}  // namespace

TrayStore::TrayStore() {
    const auto paths =
        platform::UserDefaults::standard().stringArrayForKey(key).value_or(std::vector<std::string>{});
    std::vector<TrayItem> loaded;
    for (const auto& path : paths) {
        std::error_code error;
        if (fs::exists(path, error)) loaded.push_back({newUUID(), fs::path(path)});
    }
    // Loading does not save: the gone paths stay stored until the next change.
    items = std::move(loaded);
}

void TrayStore::add(const std::vector<fs::path>& urls) {
    for (const auto& url : urls) {
        if (!url.is_absolute()) continue;
        const auto& current = items.get();
        if (std::any_of(current.begin(), current.end(), [&](const TrayItem& i) { return i.url == url; }))
            continue;
        auto next = current;
        next.push_back({newUUID(), url});
        items = std::move(next);
    }
    save();
}

void TrayStore::remove(const TrayItem& item) {
    auto next = items.get();
    std::erase_if(next, [&](const TrayItem& i) { return i.id == item.id; });
    items = std::move(next);
    save();
}

void TrayStore::clear() {
    items = std::vector<TrayItem>{};
    save();
}

void TrayStore::save() {
    std::vector<std::string> paths;
    for (const auto& item : items.get()) paths.push_back(item.url.string());
    platform::UserDefaults::standard().setStringArray(key, paths);
}

}  // namespace quorlix
