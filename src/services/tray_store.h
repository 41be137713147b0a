#pragma once
// The file tray: references to files the user keeps at hand, in the order they were added.
//
// The store never copies, moves or watches the files. It keeps their paths under "tray.paths"
// in the application's defaults, rewritten after every change, and rebuilds the tray from
// them at creation, leaving out paths where nothing exists any more. Main thread only.

#include "platform/published.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quorlix {

// One file in the tray.
struct TrayItem {
    // A new UUID for every item made, restored ones included; never stored.
    std::string id;
    // The file's location (absolute).
    std::filesystem::path url;

    friend bool operator==(const TrayItem&, const TrayItem&) = default;
};

class TrayStore final : public ObservableObject {
public:
    static constexpr const char* key = "tray.paths";

    // Loads the stored tray.
    TrayStore();

    // Oldest first.
    Published<std::vector<TrayItem>> items{this, {}};

    // Appends the files that are not in the tray yet, then saves. Paths that are not
    // absolute name no file and are skipped.
    void add(const std::vector<std::filesystem::path>& urls);
    // Removes the item with that item's id, keeping the order of the rest, then saves.
    void remove(const TrayItem& item);
    void clear();

private:
    void save();
};

}  // namespace quorlix
