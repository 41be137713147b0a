#include "app/migration.h"
#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "platform/key_log.h"
#include "platform/paths.h"
#include "platform/user_defaults.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorlix {
namespace {

namespace fs = std::filesystem;
using platform::Paths;
using platform::UserDefaults;

class MigrationTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fs::path oldFolder() const { return Paths::applicationSupportDirectory() / "Tarsel"; }
    fs::path newFolder() const { return Paths::applicationSupportDirectory() / "Quorlix"; }
    void earlierDomain(const UserDefaults::Value& v) {
        ASSERT_FALSE(platform::writeFileAtomically(Paths::defaultsFile("com.halvik.tarsel"), v.dump()));
    }
    void earlierFolder() {
        fs::create_directories(oldFolder());
        ASSERT_FALSE(platform::writeFileAtomically(oldFolder() / "tray.txt", "datos"));
    }
};

TEST_F(MigrationTest, FirstLaunchCopiesMissingKeysAndMovesTheFolder) {
    earlierDomain(
        {{"islandWidth", 400.0}, {"openMode", "click"}, {"trayPaths", {"/a", "/b"}}, {"blob", {{"k", 1}}}});
    earlierFolder();
    UserDefaults::standard().setString("openMode", "hover");

    migrateFromTarsel();

    UserDefaults& d = UserDefaults::standard();
    EXPECT_TRUE(d.boolForKey("didMigrateFromTarsel"));
    EXPECT_EQ(d.doubleForKey("islandWidth"), 400.0);
    EXPECT_TRUE(d.object("islandWidth")->is_number_float());
    EXPECT_EQ(d.stringForKey("openMode"), "hover") << "the current application's value wins";
    EXPECT_EQ(d.stringArrayForKey("trayPaths"), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(*d.object("blob"), (UserDefaults::Value{{"k", 1}})) << "any value is copied unchanged";
    EXPECT_FALSE(fs::exists(oldFolder()));
    EXPECT_EQ(platform::readFile(newFolder() / "tray.txt"), "datos");
}

TEST_F(MigrationTest, SecondLaunchReadsAndWritesNothing) {
    UserDefaults::standard().setBool("didMigrateFromTarsel", true);
    earlierDomain({{"islandWidth", 400.0}});
    earlierFolder();
    migrateFromTarsel();
    EXPECT_FALSE(UserDefaults::standard().object("islandWidth"));
    EXPECT_TRUE(fs::exists(oldFolder()));
    EXPECT_FALSE(fs::exists(newFolder()));
}

TEST_F(MigrationTest, AnExistingNewFolderIsNeverMergedInto) {
    earlierFolder();
    fs::create_directories(newFolder());
    ASSERT_FALSE(platform::writeFileAtomically(newFolder() / "mine.txt", "actual"));
    migrateFromTarsel();
    EXPECT_TRUE(fs::exists(oldFolder() / "tray.txt"));
    EXPECT_FALSE(fs::exists(newFolder() / "tray.txt"));
    EXPECT_EQ(platform::readFile(newFolder() / "mine.txt"), "actual");
}

TEST_F(MigrationTest, NothingToMigrateOnlySetsTheFlag) {
    migrateFromTarsel();
    EXPECT_EQ(UserDefaults::standard().storedValues(), (UserDefaults::Value{{"didMigrateFromTarsel", true}}));
    EXPECT_FALSE(fs::exists(newFolder()));
}

TEST_F(MigrationTest, AFailedMoveIsLoggedOnceAndNotRetried) {
    // A data folder whose path leaves room for ".../Tarsel" but not for ".../Quorlix" (one
    // character longer) under the system's path limit: the move fails for any user, root too.
    fs::path deep = fake.home.path() / "deep";
    while (deep.string().size() < 4088 - 200) deep /= std::string(199, 'd');
    deep /= std::string(4088 - deep.string().size() - 1, 'e');
    ASSERT_EQ(deep.string().size(), 4088u);
    fs::create_directories(deep);
    setenv("XDG_DATA_HOME", deep.c_str(), 1);
    fs::create_directories(oldFolder());

    migrateFromTarsel();
    EXPECT_TRUE(UserDefaults::standard().boolForKey("didMigrateFromTarsel"));
    EXPECT_TRUE(fs::exists(oldFolder()));
    const auto log = platform::readFile(KeyLog::path()).value_or("");
    EXPECT_NE(log.find("Migración: no se pudo mover"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);

    migrateFromTarsel();
    EXPECT_EQ(platform::readFile(KeyLog::path()).value_or(""), log) << "not retried";
}

}  // namespace
}  // namespace quorlix
