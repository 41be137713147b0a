#include "services/tray_store.h"

#include "fakes/fake_platform.h"
#include "platform/user_defaults.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quorlix {
namespace {

namespace fs = std::filesystem;

class TrayStoreTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;

    fs::path file(const std::string& name) {
        const fs::path path = fake.home.path() / name;
        std::ofstream(path) << name;
        return path;
    }
    static std::vector<fs::path> urls(const TrayStore& tray) {
        std::vector<fs::path> out;
        for (const auto& item : tray.items.get()) out.push_back(item.url);
        return out;
    }
    static std::optional<std::vector<std::string>> stored() {
        return platform::UserDefaults::standard().stringArrayForKey(TrayStore::key);
    }
};

TEST_F(TrayStoreTest, LoadKeepsExistingPathsAndDoesNotSave) {
    const auto a = file("a.txt");
    const std::string gone = (fake.home.path() / "gone.txt").string();
    platform::UserDefaults::standard().setStringArray(TrayStore::key, {a.string(), gone});

    TrayStore tray;
    EXPECT_EQ(urls(tray), std::vector<fs::path>{a});
    EXPECT_EQ(stored(), (std::vector<std::string>{a.string(), gone}));

    tray.add({a});
    EXPECT_EQ(stored(), std::vector<std::string>{a.string()});
}

TEST_F(TrayStoreTest, MissingOrMistypedKeyGivesAnEmptyTray) {
    platform::UserDefaults::standard().setString(TrayStore::key, "not a list");
    TrayStore tray;
    EXPECT_TRUE(tray.items->empty());
    EXPECT_FALSE(stored().has_value()) << "nothing written";
}

TEST_F(TrayStoreTest, AddKeepsOrderAndSkipsDuplicatesAndRelativePaths) {
    const auto a = file("a.txt"), b = file("b.txt"), c = file("c.txt");
    TrayStore tray;
    tray.add({a, b, a, c});
    tray.add({b, fs::path("relative.txt")});
    EXPECT_EQ(urls(tray), (std::vector<fs::path>{a, b, c}));
    EXPECT_EQ(stored(), (std::vector<std::string>{a.string(), b.string(), c.string()}));
    EXPECT_NE(tray.items.get()[0].id, tray.items.get()[1].id);
}

TEST_F(TrayStoreTest, RemoveAndClearSave) {
    const auto a = file("a.txt"), b = file("b.txt"), c = file("c.txt");
    TrayStore tray;
    tray.add({a, b, c});
    tray.remove(tray.items.get()[1]);
    EXPECT_EQ(urls(tray), (std::vector<fs::path>{a, c}));
    EXPECT_EQ(stored(), (std::vector<std::string>{a.string(), c.string()}));
    tray.clear();
    EXPECT_TRUE(tray.items->empty());
    EXPECT_EQ(stored(), std::vector<std::string>{});
}

TEST_F(TrayStoreTest, RelaunchGivesTheSameFilesWithNewIds) {
    const auto a = file("a.txt");
    std::string firstId;
    {
        TrayStore tray;
        tray.add({a});
        firstId = tray.items.get()[0].id;
    }
    platform::UserDefaults::resetStandard();  // as a new process reads the file again
    TrayStore again;
    ASSERT_EQ(urls(again), std::vector<fs::path>{a});
    EXPECT_NE(again.items.get()[0].id, firstId);
    EXPECT_EQ(again.items.get()[0].id.size(), 36u);
}

}  // namespace
}  // namespace quorlix
