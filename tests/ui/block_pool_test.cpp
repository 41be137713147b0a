// Kept blocks for the objects a rebuild makes and drops: what is kept stays bounded, a block
// comes back whole for any object of its size, and one dropped is out of reach.

#include "ui/block_pool.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace quorlix::ui {
namespace {

template <std::size_t N>
struct Blob {
    std::array<unsigned char, N> bytes;
    explicit Blob(unsigned char v) { bytes.fill(v); }
};

// Blocks are kept per thread: the checks run on a thread of their own, which starts with none
// whatever the tests before left on this one.
void keepsABoundedShareAndGivesBlocksBackWhole() {
    // A block dropped is out of reach of the address sanitizer's checks until taken again.
    ASSERT_EQ(blocks::held(), 0u);
    void* block = blocks::take(100);
    std::memset(block, 7, 100);
    blocks::give(block, 100);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_TRUE(__asan_address_is_poisoned(block));
    void* again = blocks::take(100);
    EXPECT_FALSE(__asan_address_is_poisoned(again));
    blocks::give(again, 100);
#endif

    // Objects of many sizes, dropped and made again in turn, each holding its own bytes.
    std::vector<std::shared_ptr<Blob<24>>> small;
    std::vector<std::shared_ptr<Blob<300>>> large;
    std::vector<std::shared_ptr<Blob<20000>>> huge;  // beyond what is kept
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 2000; ++i) {
            small.push_back(blocks::makeShared<Blob<24>>(static_cast<unsigned char>(i)));
            large.push_back(blocks::makeShared<Blob<300>>(static_cast<unsigned char>(i + 1)));
            if (i % 100 == 0)
                huge.push_back(blocks::makeShared<Blob<20000>>(static_cast<unsigned char>(i + 2)));
        }
        for (std::size_t i = 0; i < small.size(); ++i) {
            const auto v = static_cast<unsigned char>(i);
            ASSERT_EQ(small[i]->bytes.front(), v);
            ASSERT_EQ(small[i]->bytes.back(), v);
            ASSERT_EQ(large[i]->bytes.back(), static_cast<unsigned char>(v + 1));
        }
        small.clear();
        large.clear();
        huge.clear();
        // Some are kept for the next round, never more than the limit.
        EXPECT_GT(blocks::held(), 0u);
        EXPECT_LE(blocks::held(), blocks::heldLimit);
    }

    // A thread keeps its own, and lets them go as it ends (the leak check sees any it did not).
    std::size_t heldThere = 0;
    std::thread([&] {
        std::vector<std::shared_ptr<Blob<64>>> v;
        for (int i = 0; i < 100; ++i) v.push_back(blocks::makeShared<Blob<64>>(1));
        v.clear();
        heldThere = blocks::held();
    }).join();
    EXPECT_GT(heldThere, 0u);
}

TEST(BlockPool, KeepsABoundedShareAndGivesBlocksBackWhole) {
    // Kept blocks left on this thread by the tests before.
    std::vector<void*> left;
    for (int i = 0; i < 4000; ++i) left.push_back(blocks::take(100));
    for (void* block : left) blocks::give(block, 100);
    std::thread(keepsABoundedShareAndGivesBlocksBackWhole).join();
}

}  // namespace
}  // namespace quorlix::ui
