#pragma once
// A cache of values by key that holds at most a given number of bytes, dropping the least
// recently used values beyond it. What a value weighs is told by a function of the caller's.
//
//     LruCache<std::string, TextLayout> layouts(256 << 10, [](const auto& key, const auto& layout) {
//         return key.size() + layout.lines.size() * 64;
//     });
//     if (const TextLayout* kept = layouts.find(key)) return *kept;
//     return layouts.insert(key, layoutText(...));
//
// A value found or inserted stays valid until the next insert. Main thread only.

#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

namespace quorlix::ui {

template <class Key, class Value, class Hash = std::hash<Key>>
class LruCache {
public:
    using Weight = std::function<std::size_t(const Key&, const Value&)>;
    LruCache(std::size_t byteLimit, Weight weight) : byteLimit_(byteLimit), weight_(std::move(weight)) {}

    // The value kept under `key`, or null; a value found becomes the most recently used.
    Value* find(const Key& key) {
        const auto found = index_.find(key);
        if (found == index_.end()) return nullptr;
        entries_.splice(entries_.begin(), entries_, found->second);
        return &found->second->value;
    }

    // Keeps `value` under `key` (replacing any), then drops the least recently used others
    // while over the limit. The value just kept stays, whatever it weighs.
    Value& insert(Key key, Value value) {
        if (const auto found = index_.find(key); found != index_.end()) erase(found->second);
        const std::size_t bytes = weight_(key, value) + sizeof(Entry);
        entries_.push_front(Entry{std::move(key), std::move(value), bytes});
        index_.emplace(entries_.front().key, entries_.begin());
        bytes_ += bytes;
        while (bytes_ > byteLimit_ && entries_.size() > 1) erase(std::prev(entries_.end()));
        return entries_.front().value;
    }

    std::size_t bytes() const { return bytes_; }
    std::size_t byteLimit() const { return byteLimit_; }
    std::size_t count() const { return entries_.size(); }
    void clear() {
        index_.clear();
        entries_.clear();
        bytes_ = 0;
    }

private:
    struct Entry {
        Key key;
        Value value;
        std::size_t bytes;
    };
    using List = std::list<Entry>;
    void erase(typename List::iterator it) {
        bytes_ -= it->bytes;
        index_.erase(it->key);
        entries_.erase(it);
    }

    std::size_t byteLimit_;
    Weight weight_;
    std::size_t bytes_ = 0;
    List entries_;  // most recently used first
    std::unordered_map<Key, typename List::iterator, Hash> index_;
};

}  // namespace quorlix::ui
