#pragma once
// The file tray: references to files the user keeps at hand, in the order they were added.
//
// The store never copies, moves or watches the files. It keeps them under "tray.paths" in the
// application's defaults as "file://" addresses, every byte of the path kept (a file name
// need not be UTF-8), rewritten after every change; plain paths stored by earlier versions
// are read too. It rebuilds the tray from them at creation, leaving out files that no longer
// exist (they stay stored until the next change rewrites the list). Main thread only.

#include "platform/item_provider.h"
#include "platform/published.h"
#include "platform/serial_queue.h"
#include "services/lifetime.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

// One file in the tray. Its data is shared and never changed, so a copy of a list of many
// files copies pointers, not names: a change to a large tray costs what changed.
class TrayItem {
public:
    TrayItem(std::string id, std::filesystem::path url)
        : data_(std::make_shared<const Data>(Data{std::move(id), std::move(url)})) {}

    // A new UUID for every item made, restored ones included; never stored.
    const std::string& id() const { return data_->id; }
    // The file's location (absolute).
    const std::filesystem::path& url() const { return data_->url; }

    friend bool operator==(const TrayItem& a, const TrayItem& b) {
        return a.data_ == b.data_ || (a.id() == b.id() && a.url() == b.url());
    }

private:
    struct Data {
        std::string id;
        std::filesystem::path url;
    };
    std::shared_ptr<const Data> data_;
};

class TrayStore final : public ObservableObject {
public:
    static constexpr const char* key = "tray.paths";

    // Loads the stored tray.
    TrayStore();

    // Oldest first.
    Published<std::vector<TrayItem>> items{this, {}};

    // Appends the files that are not in the tray yet, in one change, then saves (also when
    // nothing was added). Paths that are not absolute name no file and are skipped.
    void add(const std::vector<std::filesystem::path>& urls);
    // Loads the address of each dropped item that has one, then adds them all in one `add`,
    // in the order the loads complete: a drop of thousands of files is one change and one
    // write. Returns at once.
    void add(const std::vector<std::shared_ptr<platform::ItemProvider>>& providers);
    // Removes the item with that item's id, keeping the order of the rest, then saves.
    void remove(const TrayItem& item);
    void clear();

    // The file path of a "file:" address, percent-decoded ("file:///tmp/a%20b" gives
    // "/tmp/a b"); nothing for any other address or a file on another host.
    static std::optional<std::filesystem::path> filePath(std::string_view url);
    // The "file:" address of an absolute path, in ASCII: "/tmp/a b" gives "file:///tmp/a%20b".
    static std::string fileURL(const std::filesystem::path& path);

private:
    // Saves the addresses of `current`, the items before a change, changed as the items are:
    // the one at `removed` (when given) taken out, `added` appended. Where the stored list is
    // the items' own, only the change is made to it; else the list is written whole.
    void save(const std::vector<TrayItem>& current, std::optional<std::size_t> removed,
              const nlohmann::ordered_json& added);
    void change(std::vector<TrayItem> next);
    // Lets go of a list a change replaced: a large one off the main thread.
    void release(std::vector<TrayItem> previous);

    Lifetime lifetime_;
    // The stored addresses are the items' own, in their order (this store alone writes them):
    // a change then edits them where the settings keep them, at the cost of what it changes.
    bool storedAsItems_ = false;
    // The addresses of the items loaded, where they differ from those stored (files gone since):
    // saved at the first change.
    std::shared_ptr<nlohmann::ordered_json> loadedAddresses_;
    bool changing_ = false;
    Subscription itemsSetElsewhere_;
    // Frees the files a change let go of; started by the first large one.
    std::unique_ptr<platform::ThreadSerialQueue> releasing_;
};

}  // namespace quorlix
