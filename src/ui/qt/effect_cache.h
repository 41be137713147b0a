#pragma once
// Results of expensive effects kept from frame to frame: blurred layers, shadows, and layers
// drawn once on request (`cachedLayer`). Each result is kept under a key of what it was made
// from (what the content draws, the effect's radius, colour and scale), so a result found is
// the one that would be made again. The cache holds at most `byteLimit` bytes of images and
// drops the least recently used results beyond that. A result also belongs to the item that
// made it: a new result of the same item replaces its old one, so an animating shadow never
// fills the cache with frames nobody will ask for again.
//
//     EffectCache& cache = EffectCache::shared();
//     if (const EffectResult* kept = cache.find(key)) draw(*kept);
//     else cache.insert(key, owner, make());
//
// Main thread only (as all drawing).

#include <QImage>
#include <QPoint>
#include <QPointF>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace quorlix::ui::qt {

// An image to draw at `offset` (device pixels from the layer's origin), scaled up by `factor`
// (blurs are made at a reduced size).
struct EffectImage {
    QImage image;
    int factor = 1;
    QPointF offset;
    bool isNull() const { return image.isNull(); }
};

struct EffectResult {
    EffectImage shadow;   // drawn first
    EffectImage content;  // then the layer itself (blurred when it blurs)
    // Pictures drawn into it: the result is stale once one of them is gone (its address may
    // come back holding another picture).
    std::vector<std::weak_ptr<const void>> pictures;
    std::size_t bytes() const;
};

class EffectCache {
public:
    explicit EffectCache(std::size_t byteLimit = defaultByteLimit);

    // The result kept under `key`, or null; a found result becomes the most recently used.
    const EffectResult* find(std::uint64_t key);
    // Keeps `result` under `key` for `owner` (0: none), dropping the owner's previous result and
    // the least recently used ones beyond the byte limit. A result larger than the limit is not
    // kept. Returns the kept result, or null.
    const EffectResult* insert(std::uint64_t key, std::uint64_t owner, EffectResult result);

    // Records that `owner` drew content `contentKey`; answers whether it drew other content
    // the last time (content that changes from frame to frame is not worth keeping).
    bool contentChanged(std::uint64_t owner, std::uint64_t contentKey);

    void setByteLimit(std::size_t bytes);
    std::size_t byteLimit() const { return byteLimit_; }
    std::size_t bytes() const { return bytes_; }
    std::size_t count() const { return entries_.size(); }
    // How many results were kept since it was made (each a result made in full).
    std::size_t insertions() const { return insertions_; }
    void clear();

    // The one all canvases share.
    static EffectCache& shared();
    static constexpr std::size_t defaultByteLimit = 8u << 20;

private:
    struct Entry {
        std::uint64_t key;
        std::uint64_t owner;
        EffectResult result;
        std::size_t bytes;
    };
    using List = std::list<Entry>;
    void erase(List::iterator it);
    void trim();

    std::size_t byteLimit_;
    std::size_t bytes_ = 0;
    std::size_t insertions_ = 0;
    List entries_;  // most recently used first
    std::unordered_map<std::uint64_t, List::iterator> byKey_;
    std::unordered_map<std::uint64_t, std::uint64_t> byOwner_;  // owner → key
    std::unordered_map<std::uint64_t, std::uint64_t> drawnBy_;  // owner → content last drawn
};

}  // namespace quorlix::ui::qt
