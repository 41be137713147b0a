#include "ui/block_pool.h"

#include <array>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QUORLIX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define QUORLIX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define QUORLIX_POISON(p, n) ((void)(p), (void)(n))
#define QUORLIX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace quorlix::ui::blocks {

namespace {

// Kept sizes: up to 16 KiB, in steps of 16 bytes. Lists of display items (1.3 KiB each) are
// among them: glibc serves a request of 1 KiB or more only after merging every small block
// freed since, so one such request a frame sent its many small allocations the slow way.
constexpr std::size_t step = 16, sizes = 1024;

// A kept block holds the next one of its size. Kept blocks are poisoned for the address
// sanitizer, so an object used after it was dropped is still found.
struct Free {
    Free* next;
};

class Shelves {
public:
    ~Shelves() {
        for (std::size_t c = 0; c < sizes; ++c)
            while (void* block = pop(c)) ::operator delete(block);
    }
    void* pop(std::size_t c) {
        Free* f = free_[c];
        if (!f) return nullptr;
        QUORLIX_UNPOISON(f, c * step);
        free_[c] = f->next;
        held_ -= c * step;
        return f;
    }
    bool push(void* block, std::size_t c) {
        if (held_ + c * step > heldLimit) return false;
        free_[c] = new (block) Free{free_[c]};
        held_ += c * step;
        QUORLIX_POISON(block, c * step);
        return true;
    }
    std::size_t held() const { return held_; }

private:
    std::array<Free*, sizes> free_{};
    std::size_t held_ = 0;
};

// The thread's shelves; none once they are gone as the thread ends (objects dropped after
// that go to the heap).
Shelves* shelves() {
    thread_local bool gone = false;
    struct Holder {
        Shelves shelves;
        bool* gone;
        ~Holder() { *gone = true; }
    };
    if (gone) return nullptr;
    thread_local Holder holder{{}, &gone};
    return &holder.shelves;
}

std::size_t sizeClass(std::size_t size) { return (size + step - 1) / step; }

}  // namespace

void* take(std::size_t size) {
    const std::size_t c = sizeClass(size);
    if (c == 0 || c >= sizes) return ::operator new(size);
    if (Shelves* s = shelves())
        if (void* block = s->pop(c)) return block;
    // The whole size of its class, so the block serves any object of that class later.
    const std::size_t whole = c * step;
    return ::operator new(whole);
}

void give(void* block, std::size_t size) noexcept {
    const std::size_t c = sizeClass(size);
    if (c > 0 && c < sizes)
        if (Shelves* s = shelves(); s && s->push(block, c)) return;
    ::operator delete(block);
}

std::size_t held() {
    const Shelves* s = shelves();
    return s ? s->held() : 0;
}

}  // namespace quorlix::ui::blocks
