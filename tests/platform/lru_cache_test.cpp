#include "platform/lru_cache.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlix {
namespace {

TEST(LruCache, KeepsWithinItsCountWhatWasUsedLast) {
    LruCache<std::string, int> cache(2);
    cache.insert("a", 1);
    cache.insert("b", 2);
    ASSERT_TRUE(cache.find("a"));  // a is now the most recent
    cache.insert("c", 3);
    EXPECT_TRUE(cache.contains("a"));
    EXPECT_FALSE(cache.contains("b"));
    EXPECT_TRUE(cache.contains("c"));
    cache.insert("a", 4);
    EXPECT_EQ(*cache.find("a"), 4);
    EXPECT_EQ(cache.count(), 2u);
}

TEST(LruCache, KeepsWithinItsBytesWhatWasUsedLast) {
    // Values weigh their length; each entry also weighs its own bookkeeping.
    LruCache<int, std::string> cache(0, [](const int&, const std::string& v) { return v.size(); });
    const std::size_t entry = [] {
        LruCache<int, std::string> probe(1 << 20, [](const int&, const std::string&) { return 0; });
        probe.insert(0, "");
        return probe.bytes();
    }();
    LruCache<int, std::string> kept(3 * (entry + 100),
                                    [](const int&, const std::string& v) { return v.size(); });
    for (int i = 0; i < 3; ++i) kept.insert(i, std::string(100, 'a'));
    ASSERT_NE(kept.find(0), nullptr);  // now the most recently used
    kept.insert(3, std::string(100, 'b'));
    EXPECT_LE(kept.bytes(), kept.byteLimit());
    EXPECT_NE(kept.find(0), nullptr);
    EXPECT_EQ(kept.find(1), nullptr);
    // One value heavier than the whole limit is kept alone.
    cache.insert(7, "heavy");
    EXPECT_EQ(cache.count(), 1u);
    EXPECT_EQ(*cache.find(7), "heavy");
}

}  // namespace
}  // namespace quorlix
