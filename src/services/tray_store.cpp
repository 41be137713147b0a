#include "services/tray_store.h"

#include "platform/main_queue.h"
#include "platform/url_query.h"
#include "platform/user_defaults.h"
#include "platform/uuid.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <unordered_set>

namespace quorlix {

namespace fs = std::filesystem;

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// Whether `url` is what `fileURL` makes of the path it names: "file://", then the path with
// every byte but the unreserved ones and the slashes as "%XX" (upper-case digits).
bool isFileURL(std::string_view url) {
    constexpr std::string_view scheme = "file://";
    if (!url.starts_with(scheme) || url.size() == scheme.size() || url[scheme.size()] != '/') return false;
    const auto unreserved = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '.' || c == '_' || c == '~';
    };
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (std::size_t i = scheme.size(); i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (c == '/' || unreserved(c)) continue;
        if (c != '%' || url.size() - i < 3 || digit(url[i + 1]) < 0 || digit(url[i + 2]) < 0) return false;
        const auto byte = static_cast<unsigned char>(digit(url[i + 1]) * 16 + digit(url[i + 2]));
        if (byte == '/' || unreserved(byte)) return false;
        i += 2;
    }
    return true;
}

}  // namespace

TrayStore::TrayStore() {
    // Read where it is stored, without a copy: tens of megabytes in a large tray.
    const auto stored = platform::UserDefaults::standard().storedObject(key);
    const bool strings =
        stored && stored->is_array() &&
        std::all_of(stored->begin(), stored->end(), [](const auto& e) { return e.is_string(); });
    std::vector<TrayItem> loaded;
    auto urls = nlohmann::ordered_json::array();
    // While every stored address is loaded and stays as it is, the stored list serves as it
    // stands; past the first that does not, the addresses are made one by one.
    bool asStored = strings;
    const auto leaveStored = [&] {
        if (!std::exchange(asStored, false)) return;
        for (std::size_t i = 0; i < loaded.size(); ++i) urls.push_back((*stored)[i]);
    };
    static const auto none = nlohmann::ordered_json::array();
    for (const auto& value : strings ? *stored : none) {
        const auto& entry = value.get_ref<const std::string&>();
        // File addresses, or the plain paths that earlier versions stored.
        const auto path = startsWithIgnoringCase(entry, "file:") ? filePath(entry) : fs::path(entry);
        std::error_code error;
        // A relative path would name a file wherever the process happens to run.
        if (!path || !path->is_absolute() || !fs::exists(*path, error)) {
            leaveStored();
            continue;
        }
        // An address as this store writes it is kept, not encoded again.
        const bool own = isFileURL(entry);
        if (!own) leaveStored();
        if (!asStored) urls.push_back(own ? entry : fileURL(*path));
        loaded.push_back({platform::newUUID(), *path});
    }
    // Loading does not save: the gone paths stay stored until the next change.
    storedAsItems_ = asStored;
    if (!asStored) loadedAddresses_ = std::make_shared<nlohmann::ordered_json>(std::move(urls));
    items = std::move(loaded);
    // Items set from elsewhere (a preview's) leave the addresses behind: made anew at the next
    // change.
    itemsSetElsewhere_ = items.sink([this](const std::vector<TrayItem>&) {
        if (changing_) return;
        storedAsItems_ = false;
        loadedAddresses_.reset();
    });
}

void TrayStore::add(const std::vector<fs::path>& urls) {
    // The files not in the tray yet, each once: only they are looked up, not every file of a
    // large tray copied into a set.
    std::unordered_set<std::string_view> wanted;
    for (const auto& url : urls)
        if (url.is_absolute()) wanted.insert(url.native());
    for (const auto& item : items.get())
        if (wanted.erase(item.url().native()) > 0 && wanted.empty()) break;
    auto next = items.get();
    // All the files of one call are one change and one write, however many they are.
    auto added = nlohmann::ordered_json::array();
    for (const auto& url : urls) {
        if (wanted.erase(url.native()) == 0) continue;
        next.push_back({platform::newUUID(), url});
        added.push_back(fileURL(url));
    }
    save(items.get(), std::nullopt, added);
    if (!added.empty()) change(std::move(next));
}

void TrayStore::add(const std::vector<std::shared_ptr<platform::ItemProvider>>& providers) {
    // The files of one drop, in the order their loads complete, added together once every
    // load has answered.
    struct Drop {
        std::size_t waiting = 0;
        std::vector<fs::path> paths;
    };
    auto drop = std::make_shared<Drop>();
    std::vector<std::shared_ptr<platform::ItemProvider>> loadable;
    for (const auto& provider : providers)
        if (provider && provider->canLoadURL()) loadable.push_back(provider);
    if (loadable.empty()) return;
    drop->waiting = loadable.size();
    auto deliver = lifetime_.guard([this, drop](const std::optional<std::string>& url) {
        if (const auto path = url ? filePath(*url) : std::nullopt) drop->paths.push_back(*path);
        if (--drop->waiting == 0) add(drop->paths);
    });
    for (const auto& provider : loadable) {
        // The load completes on a thread of its own choosing; the tray changes on the main one.
        provider->loadURL([deliver](std::optional<std::string> url) {
            platform::MainQueue::shared().post([deliver, url = std::move(url)]() mutable { deliver(url); });
        });
    }
}

void TrayStore::remove(const TrayItem& item) {
    const auto& current = items.get();
    const auto at =
        std::find_if(current.begin(), current.end(), [&](const TrayItem& i) { return i.id() == item.id(); });
    if (at == current.end()) {
        save(current, std::nullopt, nlohmann::ordered_json::array());
        return;
    }
    const auto index = static_cast<std::size_t>(at - current.begin());
    save(current, index, nlohmann::ordered_json::array());
    auto next = current;
    next.erase(next.begin() + static_cast<std::ptrdiff_t>(index));
    change(std::move(next));
}

void TrayStore::clear() {
    loadedAddresses_.reset();
    storedAsItems_ = platform::UserDefaults::standard().setObject(key, nlohmann::ordered_json::array());
    change({});
}

std::optional<fs::path> TrayStore::filePath(std::string_view url) {
    if (!startsWithIgnoringCase(url, "file:")) return std::nullopt;
    url.remove_prefix(5);
    if (url.starts_with("//")) {
        url.remove_prefix(2);
        const auto slash = url.find('/');
        const std::string_view host = url.substr(0, slash);
        const bool local = host.empty() || (host.size() == 9 && startsWithIgnoringCase(host, "localhost"));
        if (!local || slash == std::string_view::npos) return std::nullopt;
        url.remove_prefix(slash);
    }
    // The path ends where a query or fragment begins.
    const auto path = platform::percentDecode(url.substr(0, url.find_first_of("?#")));
    // No file name holds a NUL.
    if (!path || path->empty() || path->front() != '/' || path->find('\0') != std::string::npos)
        return std::nullopt;
    return fs::path(*path);
}

std::string TrayStore::fileURL(const fs::path& path) {
    std::string url = "file://";
    // Each piece between slashes encoded on its own: the slashes stay, every other byte
    // outside the unreserved characters becomes "%XX".
    const std::string text = path.string();
    for (std::size_t start = 0;;) {
        const auto slash = text.find('/', start);
        url += platform::percentEncode(std::string_view(text).substr(start, slash - start));
        if (slash == std::string::npos) break;
        url += '/';
        start = slash + 1;
    }
    return url;
}

void TrayStore::save(const std::vector<TrayItem>& current, std::optional<std::size_t> removed,
                     const nlohmann::ordered_json& added) {
    auto& defaults = platform::UserDefaults::standard();
    if (storedAsItems_) {
        // A list another store wrote since is no longer this one's to edit.
        const auto stored = defaults.storedObject(key);
        storedAsItems_ = stored && stored->is_array() && stored->size() == current.size();
    }
    if (storedAsItems_ && defaults.editArray(key, removed, added)) return;
    // The list whole: the addresses loaded, or made anew after items were set from elsewhere.
    auto urls = nlohmann::ordered_json::array();
    if (loadedAddresses_) {
        urls = std::move(*loadedAddresses_);
        loadedAddresses_.reset();
    } else {
        for (const auto& item : current) urls.push_back(fileURL(item.url()));
    }
    if (removed) urls.erase(*removed);
    for (const auto& url : added) urls.push_back(url);
    storedAsItems_ = defaults.setObject(key, std::move(urls));
}

void TrayStore::change(std::vector<TrayItem> next) {
    // Kept past the change (pointers copied), so that the items only it holds are not freed here.
    auto previous = items.get();
    changing_ = true;
    items = std::move(next);
    changing_ = false;
    release(std::move(previous));
}

void TrayStore::release(std::vector<TrayItem> previous) {
    // Below this many files freeing takes well under a millisecond; a cleared tray of tens of
    // thousands of long paths takes several.
    constexpr std::size_t large = 1000;
    if (previous.size() < large) return;
    if (!releasing_) releasing_ = std::make_unique<platform::ThreadSerialQueue>();
    releasing_->async([list = std::make_shared<std::vector<TrayItem>>(std::move(previous))] { list->clear(); });
}

}  // namespace quorlix
