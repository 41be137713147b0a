#include "platform/key_log.h"
#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quorlix {
namespace {

namespace fs = std::filesystem;

TEST(KeyLog, CreatesItsFolderAndWritesDatedLines) {
    fakes::FakePlatform fake;
    fake.time.clock.setWallStart(1'765'000'000 - fake.time.now());  // 2025-12-06 05:46:40 UTC
    ASSERT_FALSE(fs::exists(KeyLog::path().parent_path()));
    KeyLog::write("primera");
    KeyLog::write("dos\nlíneas\tcon\rcontrol");
    EXPECT_EQ(platform::readFile(KeyLog::path()),
              "2025-12-06 05:46:40 +0000 primera\n"
              "2025-12-06 05:46:40 +0000 dos líneas con control\n");
}

TEST(KeyLog, DateFormat) {
    EXPECT_EQ(KeyLog::formatDate(0), "1970-01-01 00:00:00 +0000");
    EXPECT_EQ(KeyLog::formatDate(1'800'000'000.9), "2027-01-15 08:00:00 +0000");
}

TEST(KeyLog, AFileAtTheCapIsKeptOneBytePastItStartsAfresh) {
    fakes::FakePlatform fake;
    fs::create_directories(KeyLog::path().parent_path());
    ASSERT_FALSE(platform::writeFileAtomically(KeyLog::path(), std::string(KeyLog::sizeCap, 'x')));
    KeyLog::write("a");
    const auto atCap = fs::file_size(KeyLog::path());
    EXPECT_GT(atCap, KeyLog::sizeCap) << "a file of exactly the cap is appended to";

    KeyLog::write("b");
    const auto text = platform::readFile(KeyLog::path()).value_or("");
    EXPECT_EQ(text.size(), std::string("2027-01-15 08:16:40 +0000 b\n").size());
    EXPECT_EQ(text.substr(text.size() - 3), " b\n");
}

}  // namespace
}  // namespace quorlix
