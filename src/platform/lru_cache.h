#pragma once
// A cache of values by key that holds at most a number of values, or of bytes, dropping the
// least recently used values beyond it. What a value weighs in bytes is told by a function of
// the caller's; its entry's own bookkeeping is added.
//
//     LruCache<std::string, Lyrics> recent(500);
//     LruCache<std::string, TextLayout> layouts(256 << 10, [](const auto& key, const auto& layout) {
//         return key.size() + layout.lines.size() * 64;
//     });
//     if (const TextLayout* kept = layouts.find(key)) return *kept;
//     return layouts.insert(key, layoutText(...));
//
// A value found or inserted stays valid until the next insert. Main thread only.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

namespace quorlix {

template <class Key, class Value, class Hash = std::hash<Key>>
class LruCache {
public:
    using Weight = std::function<std::size_t(const Key&, const Value&)>;
    // At most `capacity` values (at least one).
    explicit LruCache(std::size_t capacity)
        : limit_(std::max<std::size_t>(capacity, 1)), weight_([](const Key&, const Value&) { return 1; }) {}
    // At most `byteLimit` bytes.
    LruCache(std::size_t byteLimit, Weight weight)
        : limit_(byteLimit), weight_(std::move(weight)), entryBytes_(sizeof(Entry)) {}

    // The value kept under `key`, or null; a value found becomes the most recently used.
    Value* find(const Key& key) {
        const auto found = index_.find(key);
        if (found == index_.end()) return nullptr;
        entries_.splice(entries_.begin(), entries_, found->second);
        return &found->second->value;
    }
    bool contains(const Key& key) const { return index_.count(key) != 0; }

    // Keeps `value` under `key` (replacing any), then drops the least recently used others
    // while over the limit. The value just kept stays, whatever it weighs.
    Value& insert(Key key, Value value) {
        if (const auto found = index_.find(key); found != index_.end()) erase(found->second);
        const std::size_t weight = weight_(key, value) + entryBytes_;
        entries_.push_front(Entry{std::move(key), std::move(value), weight});
        index_.emplace(entries_.front().key, entries_.begin());
        held_ += weight;
        while (held_ > limit_ && entries_.size() > 1) erase(std::prev(entries_.end()));
        return entries_.front().value;
    }

    // What the values weigh, and the most they may: in bytes, or in values for a cache that
    // holds a number of them.
    std::size_t bytes() const { return held_; }
    std::size_t byteLimit() const { return limit_; }
    std::size_t count() const { return entries_.size(); }
    void clear() {
        index_.clear();
        entries_.clear();
        held_ = 0;
    }

private:
    struct Entry {
        Key key;
        Value value;
        std::size_t weight;
    };
    using List = std::list<Entry>;
    void erase(typename List::iterator it) {
        held_ -= it->weight;
        index_.erase(it->key);
        entries_.erase(it);
    }

    std::size_t limit_;
    Weight weight_;
    std::size_t entryBytes_ = 0;
    std::size_t held_ = 0;
    List entries_;  // most recently used first
    std::unordered_map<Key, typename List::iterator, Hash> index_;
};

}  // namespace quorlix
