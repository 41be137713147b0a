#pragma once
// Blocks for the small objects a rebuild makes and drops by the hundred (elements, view nodes,
// environment entries): a block dropped is kept, per thread and by size, for the next object of
// that size, instead of going back to the heap, whose bookkeeping for each block cost more than
// the object's own work. At most `heldLimit` bytes are kept per thread; larger objects and the
// rest go to the heap as usual.

#include <cstddef>
#include <memory>
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
        if (n != 1) return std::allocator<T>().allocate(n);
        return static_cast<T*>(take(sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (n != 1) return std::allocator<T>().deallocate(p, n);
        give(p, sizeof(T));
    }
    friend bool operator==(const Allocator&, const Allocator&) { return true; }
};

// `std::make_shared` with the object and its count in a kept block.
template <class T, class... Args>
std::shared_ptr<T> makeShared(Args&&... args) {
    return std::allocate_shared<T>(Allocator<std::remove_const_t<T>>(), std::forward<Args>(args)...);
}

}  // namespace quorlix::ui::blocks
