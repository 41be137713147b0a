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
    auto urls = std::make_shared<nlohmann::ordered_json>(nlohmann::ordered_json::array());
    // While every stored address is loaded and stays as it is, the stored list serves as it
    // stands; past the first that does not, the addresses are made one by one.
    bool asStored = strings;
    const auto leaveStored = [&] {
        if (!std::exchange(asStored, false)) return;
        for (std::size_t i = 0; i < loaded.size(); ++i) urls->push_back((*stored)[i]);
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
        if (!asStored) urls->push_back(own ? entry : fileURL(*path));
        loaded.push_back({platform::newUUID(), *path});
    }
    // Loading does not save: the gone paths stay stored until the next change.
    if (asStored) {
        urls_ = stored;
    } else {
        urls_ = std::move(urls);
    }
    items = std::move(loaded);
    // Items set from elsewhere (a preview's) leave the addresses behind: made anew at the next
    // change.
    itemsSetElsewhere_ = items.sink([this](const std::vector<TrayItem>&) {
        if (!changing_) urls_.reset();
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
    const std::size_t before = next.size();
    for (const auto& url : urls) {
        if (wanted.erase(url.native()) == 0) continue;
        next.push_back({platform::newUUID(), url});
    }
    if (next.size() != before) {
        auto urls = std::make_shared<nlohmann::ordered_json>(addresses(items.get()));
        for (std::size_t i = before; i < next.size(); ++i) urls->push_back(fileURL(next[i].url()));
        change(std::move(next), std::move(urls));
    }
    save();
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
    auto next = items.get();
    const auto at =
        std::find_if(next.begin(), next.end(), [&](const TrayItem& i) { return i.id() == item.id(); });
    if (at != next.end()) {
        auto urls = std::make_shared<nlohmann::ordered_json>(addresses(items.get()));
        urls->erase(static_cast<std::size_t>(at - next.begin()));
        next.erase(at);
        change(std::move(next), std::move(urls));
    }
    save();
}

void TrayStore::clear() {
    change({}, std::make_shared<nlohmann::ordered_json>(nlohmann::ordered_json::array()));
    save();
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

nlohmann::ordered_json TrayStore::addresses(const std::vector<TrayItem>& current) const {
    if (urls_) return *urls_;
    auto urls = nlohmann::ordered_json::array();
    for (const auto& item : current) urls.push_back(fileURL(item.url()));
    return urls;
}

void TrayStore::change(std::vector<TrayItem> next, std::shared_ptr<const nlohmann::ordered_json> urls) {
    urls_ = std::move(urls);
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

void TrayStore::save() { platform::UserDefaults::standard().setObject(key, urls_); }

}  // namespace quorlix
