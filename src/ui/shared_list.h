#pragma once
// A list that copies in constant time: copies share one vector until one of them is changed,
// which then takes a vector of its own (one level deep: the elements are copied, and whatever
// they share stays shared). Reading never copies; changing goes through `edit()` or the few
// changing calls below, so a change is always visible where it is made.
//
// As with any shared storage, a reference taken from `edit()` must not be written through
// after the list was copied: the write would show in both copies.

#include <array>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace quorlix::ui {

// Storage for lists of large items, a few buffers of each short length kept for the next list
// of that length. glibc serves a request of 1 KiB or more only after merging every small block
// freed since the last one: a frame that made one such list had all its many small allocations
// of the next frame take the slow way. Kept per thread, at most `perLength` buffers of each
// length up to `lengths`; longer lists and overflow go to the heap as usual.
template <class T>
struct KeptBuffers {
    using value_type = T;
    static constexpr std::size_t lengths = 8;
    static constexpr std::size_t perLength = 8;

    KeptBuffers() = default;
    template <class U>
    KeptBuffers(const KeptBuffers<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (Shelf* s = shelf(n); s && s->count > 0) return static_cast<T*>(s->kept[--s->count]);
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (Shelf* s = shelf(n); s && s->count < perLength) {
            s->kept[s->count++] = p;
            return;
        }
        std::allocator<T>().deallocate(p, n);
    }
    friend bool operator==(const KeptBuffers&, const KeptBuffers&) { return true; }

private:
    struct Shelf {
        std::array<void*, perLength> kept{};
        std::size_t count = 0;
    };
    struct Shelves {
        std::array<Shelf, lengths> byLength;
        ~Shelves() {
            gone() = true;
            for (std::size_t i = 0; i < lengths; ++i)
                while (byLength[i].count > 0)
                    std::allocator<T>().deallocate(static_cast<T*>(byLength[i].kept[--byLength[i].count]),
                                                   i + 1);
        }
    };
    // Whether the thread's shelves were emptied for good (lists outliving them, destroyed
    // with static objects, go straight to the heap).
    static bool& gone() {
        thread_local bool emptied = false;
        return emptied;
    }
    // Small items stay with the heap, which is quick for them.
    static Shelf* shelf(std::size_t n) {
        if (n == 0 || n > lengths || n * sizeof(T) < 1024 || gone()) return nullptr;
        thread_local Shelves shelves;
        return &shelves.byLength[n - 1];
    }
};

template <class T>
class SharedList {
public:
    using Vector = std::vector<T, KeptBuffers<T>>;
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
