#include "ui/qt/effect_cache.h"

#include <algorithm>

namespace quorlix::ui::qt {

std::size_t EffectResult::bytes() const {
    return static_cast<std::size_t>(shadow.image.sizeInBytes()) +
           static_cast<std::size_t>(content.image.sizeInBytes());
}

EffectCache::EffectCache(std::size_t byteLimit) : byteLimit_(byteLimit) {}

EffectCache& EffectCache::shared() {
    static auto* cache = new EffectCache;  // main thread only; lives as long as the process
    return *cache;
}

const EffectResult* EffectCache::find(std::uint64_t key) {
    const auto found = byKey_.find(key);
    if (found == byKey_.end()) return nullptr;
    const List::iterator it = found->second;
    const auto& pictures = it->result.pictures;
    if (std::any_of(pictures.begin(), pictures.end(), [](const auto& p) { return p.expired(); })) {
        erase(it);
        return nullptr;
    }
    entries_.splice(entries_.begin(), entries_, it);
    return &it->result;
}

const EffectResult* EffectCache::insert(std::uint64_t key, std::uint64_t owner, EffectResult result) {
    if (const auto found = byKey_.find(key); found != byKey_.end()) erase(found->second);
    if (owner != 0) {
        if (const auto previous = byOwner_.find(owner); previous != byOwner_.end()) {
            if (const auto old = byKey_.find(previous->second);
                old != byKey_.end() && old->second->owner == owner)
                erase(old->second);
            byOwner_.erase(owner);
        }
    }
    const std::size_t size = result.bytes();
    if (size > byteLimit_) return nullptr;
    ++insertions_;
    entries_.push_front(Entry{key, owner, std::move(result), size});
    byKey_[key] = entries_.begin();
    if (owner != 0) byOwner_[owner] = key;
    bytes_ += size;
    trim();
    const auto kept = byKey_.find(key);
    return kept == byKey_.end() ? nullptr : &kept->second->result;
}

bool EffectCache::contentChanged(std::uint64_t owner, std::uint64_t contentKey) {
    // Owners come and go with views; a bounded record forgets them all at once now and then,
    // which costs one kept result for each owner still drawing.
    if (drawnBy_.size() >= 4096) drawnBy_.clear();
    const auto [it, added] = drawnBy_.try_emplace(owner, contentKey);
    if (added || it->second == contentKey) return false;
    it->second = contentKey;
    return true;
}

void EffectCache::erase(List::iterator it) {
    bytes_ -= it->bytes;
    byKey_.erase(it->key);
    if (it->owner != 0) {
        if (const auto o = byOwner_.find(it->owner); o != byOwner_.end() && o->second == it->key)
            byOwner_.erase(o);
    }
    entries_.erase(it);
}

void EffectCache::trim() {
    while (bytes_ > byteLimit_ && !entries_.empty()) erase(std::prev(entries_.end()));
}

void EffectCache::setByteLimit(std::size_t bytes) {
    byteLimit_ = bytes;
    trim();
}

void EffectCache::clear() {
    entries_.clear();
    byKey_.clear();
    byOwner_.clear();
    bytes_ = 0;
}

}  // namespace quorlix::ui::qt
