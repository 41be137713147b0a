#pragma once
// One item of a drag-and-drop: what a dropped thing can be loaded as. The file tray takes
// the file addresses of a drop through it.

#include <functional>
#include <optional>
#include <string>

namespace quorlix::platform {

class ItemProvider {
public:
    virtual ~ItemProvider() = default;

    // Whether the item can be loaded as an address ("file:///home/ana/nota.txt").
    virtual bool canLoadURL() const = 0;
    // Loads the address; `done` is called once, on any thread, with nothing when the load
    // failed.
    virtual void loadURL(std::function<void(std::optional<std::string> url)> done) = 0;
};

// An item whose address came with the drop itself: it loads at once.
class URLItemProvider final : public ItemProvider {
public:
    explicit URLItemProvider(std::string url) : url_(std::move(url)) {}

    bool canLoadURL() const override { return true; }
    void loadURL(std::function<void(std::optional<std::string> url)> done) override { done(url_); }

private:
    std::string url_;
};

}  // namespace quorlix::platform
