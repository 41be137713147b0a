#pragma once
// A map that holds at most `capacity` entries and, when full, drops the one used least
// recently. Reading an entry with `find` counts as a use.

#include <cstddef>
#include <list>
#include <unordered_map>
#include <utility>

namespace quorlix {

template <class Key, class Value>
class LruCache {
public:
    explicit LruCache(std::size_t capacity) : capacity_(capacity > 0 ? capacity : 1) {}

    // The entry for `key`, now the most recently used, or null.
    const Value* find(const Key& key) {
        const auto it = index_.find(key);
        if (it == index_.end()) return nullptr;
        order_.splice(order_.begin(), order_, it->second);
        return &it->second->second;
    }

    void insert(const Key& key, Value value) {
        if (const auto it = index_.find(key); it != index_.end()) {
            it->second->second = std::move(value);
            order_.splice(order_.begin(), order_, it->second);
            return;
        }
        if (order_.size() == capacity_) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
        order_.emplace_front(key, std::move(value));
        index_.emplace(key, order_.begin());
    }

    bool contains(const Key& key) const { return index_.count(key) != 0; }
    std::size_t size() const { return order_.size(); }
    std::size_t capacity() const { return capacity_; }

private:
    std::size_t capacity_;
    std::list<std::pair<Key, Value>> order_;  // most recently used first
    std::unordered_map<Key, typename std::list<std::pair<Key, Value>>::iterator> index_;
};

}  // namespace quorlix
