#pragma once
// A list that copies in constant time: copies share one vector until one of them is changed,
// which then takes a vector of its own (one level deep: the elements are copied, and whatever
// they share stays shared). Reading never copies; changing goes through `edit()` or the few
// changing calls below, so a change is always visible where it is made.
//
// As with any shared storage, a reference taken from `edit()` must not be written through
// after the list was copied: the write would show in both copies.

#include "ui/block_pool.h"

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace quorlix::ui {

template <class T>
class SharedList {
public:
    using Vector = std::vector<T, blocks::Allocator<T>>;  // kept blocks: lists come and go with frames
    using const_iterator = typename Vector::const_iterator;
    using const_reverse_iterator = typename Vector::const_reverse_iterator;

    SharedList() = default;
    // Not explicit: a vector is given wherever a list is asked for.
    SharedList(Vector items) : items_(items.empty() ? nullptr : std::make_shared<Vector>(std::move(items))) {}

    std::size_t size() const { return items_ ? items_->size() : 0; }
    bool empty() const { return !items_ || items_->empty(); }
    const T& operator[](std::size_t i) const { return (*items_)[i]; }
    const T& front() const { return items_->front(); }
    const T& back() const { return items_->back(); }
    const_iterator begin() const { return read().begin(); }
    const_iterator end() const { return read().end(); }
    const_reverse_iterator rbegin() const { return read().rbegin(); }
    const_reverse_iterator rend() const { return read().rend(); }
    const Vector& read() const { return items_ ? *items_ : none(); }

    // The vector to change, made this list's own first if another list shares it.
    Vector& edit() {
        if (!items_)
            items_ = std::make_shared<Vector>();
        else if (items_.use_count() > 1)
            items_ = std::make_shared<Vector>(*items_);
        return *items_;
    }
    void push_back(T item) { edit().push_back(std::move(item)); }
    void reserve(std::size_t n) {
        if (n > 0) edit().reserve(n);
    }
    void clear() { items_.reset(); }

    // The vector as it stands, for keeping: the list changed later is another vector.
    std::shared_ptr<const Vector> share() const { return items_; }

    // Whether both hold the same vector (neither was changed since one was copied from the other).
    bool sharesWith(const SharedList& other) const { return items_ && items_ == other.items_; }

private:
    static const Vector& none() {
        static const Vector empty;
        return empty;
    }
    std::shared_ptr<Vector> items_;
};

}  // namespace quorlix::ui
