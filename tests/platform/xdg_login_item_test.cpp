#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "platform/linux/xdg_login_item.h"

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {

TEST(XdgLoginItem, WritesAndRemovesTheAutostartEntry) {
    fakes::TempHome home;
    XdgLoginItem item("/opt/mi app/quorlix");
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(item.registerItem());
    EXPECT_TRUE(item.isEnabled());
    const auto entry = readFile(XdgLoginItem::entryFile()).value_or("");
    EXPECT_NE(entry.find("Exec=\"/opt/mi app/quorlix\"\n"), std::string::npos);
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_FALSE(item.unregisterItem());
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(item.unregisterItem()) << "removing a missing entry is not an error";
}

TEST(XdgLoginItem, AnEntryTheDesktopSwitchedOffDoesNotCount) {
    fakes::TempHome home;
    ASSERT_FALSE(writeFileAtomically(XdgLoginItem::entryFile(), "[Desktop Entry]\nExec=quorlix\nHidden=true\n"));
    EXPECT_FALSE(XdgLoginItem().isEnabled());
}

TEST(XdgLoginItem, QuotesSpecialCharactersInThePath) {
    fakes::TempHome home;
    XdgLoginItem item("/tmp/a\"b$c");
    ASSERT_FALSE(item.registerItem());
    // The quoting's backslashes doubled again by the file's own escapes.
    EXPECT_NE(readFile(XdgLoginItem::entryFile()).value_or("").find(R"(Exec="/tmp/a\\"b\\$c")"),
              std::string::npos);
}

}  // namespace
}  // namespace quorlix::platform
