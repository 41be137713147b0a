#pragma once
// Blocks for what a rebuild makes and drops by the hundred (elements, view nodes, environment
// entries, lists of display items): a block dropped is kept, per thread and by size, for the
// next one of that size, instead of going back to the heap, whose bookkeeping for each block
// cost more than the object's own work. At most `heldLimit` bytes are kept per thread; blocks
// over 16 KiB and the rest go to the heap as usual.

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace quorlix::ui::blocks {

inline constexpr std::size_t heldLimit = 256 << 10;

// A block of at least `size` bytes, aligned as `operator new` aligns.
void* take(std::size_t size);
// Gives back a block `take(size)` gave, with the same size.
void give(void* block, std::size_t size) noexcept;
// The bytes the calling thread keeps.
std::size_t held();

template <class T>
struct Allocator {
    using value_type = T;
    Allocator() = default;
    template <class U>
    Allocator(const Allocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(take(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { give(p, n * sizeof(T)); }
    friend bool operator==(const Allocator&, const Allocator&) { return true; }
};

// `std::make_shared` with the object and its count in a kept block.
template <class T, class... Args>
std::shared_ptr<T> makeShared(Args&&... args) {
    return std::allocate_shared<T>(Allocator<std::remove_const_t<T>>(), std::forward<Args>(args)...);
}

}  // namespace quorlix::ui::blocks
