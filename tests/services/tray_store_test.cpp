#include "services/tray_store.h"

#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
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
        for (const auto& item : tray.items.get()) out.push_back(item.url());
        return out;
    }
    static std::optional<std::vector<std::string>> stored() {
        return platform::UserDefaults::standard().stringArrayForKey(TrayStore::key);
    }
};

TEST_F(TrayStoreTest, LoadKeepsExistingPathsAndDoesNotSave) {
    const auto a = file("a.txt");
    const std::string gone = (fake.home.path() / "gone.txt").string();
    // Exists relative to the working folder, but names no file of the user's.
    const fs::path relative = fs::relative(file("relativo.txt"));
    ASSERT_TRUE(relative.is_relative());
    platform::UserDefaults::standard().setStringArray(TrayStore::key, {a.string(), gone, relative.string()});

    TrayStore tray;
    EXPECT_EQ(urls(tray), std::vector<fs::path>{a});
    EXPECT_EQ(stored(), (std::vector<std::string>{a.string(), gone, relative.string()}));

    tray.add({a});
    EXPECT_EQ(stored(), std::vector<std::string>{"file://" + a.string()});
}

// Addresses as the store writes them serve as they are stored, until one names a gone file.
TEST_F(TrayStoreTest, StoredAddressesOfGoneFilesLeaveTheListAtTheNextChange) {
    const auto a = file("a.txt"), b = file("b.txt"), c = file("c.txt");
    const std::string gone = "file://" + (fake.home.path() / "gone.txt").string();
    for (const auto& list :
         {std::vector<std::string>{"file://" + a.string(), "file://" + b.string()},
          std::vector<std::string>{"file://" + a.string(), gone, "file://" + b.string()}}) {
        SCOPED_TRACE(list.size());
        platform::UserDefaults::standard().setStringArray(TrayStore::key, list);
        TrayStore tray;
        EXPECT_EQ(urls(tray), (std::vector<fs::path>{a, b}));
        tray.add({c});
        EXPECT_EQ(stored(), (std::vector<std::string>{"file://" + a.string(), "file://" + b.string(),
                                                      "file://" + c.string()}));
    }
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
    EXPECT_EQ(stored(), (std::vector<std::string>{"file://" + a.string(), "file://" + b.string(),
                                                  "file://" + c.string()}));
    EXPECT_NE(tray.items.get()[0].id(), tray.items.get()[1].id());
}

TEST_F(TrayStoreTest, RemoveAndClearSave) {
    const auto a = file("a.txt"), b = file("b.txt"), c = file("c.txt");
    TrayStore tray;
    tray.add({a, b, c});
    tray.remove(tray.items.get()[1]);
    EXPECT_EQ(urls(tray), (std::vector<fs::path>{a, c}));
    EXPECT_EQ(stored(), (std::vector<std::string>{"file://" + a.string(), "file://" + c.string()}));
    // The stored addresses follow the items, also after items set from elsewhere (a preview's).
    tray.add({b});
    EXPECT_EQ(stored(), (std::vector<std::string>{"file://" + a.string(), "file://" + c.string(),
                                                  "file://" + b.string()}));
    tray.items = std::vector<TrayItem>{{"x", c}, {"y", a}};
    tray.remove(tray.items.get()[0]);
    EXPECT_EQ(stored(), std::vector<std::string>{"file://" + a.string()});
    tray.clear();
    EXPECT_TRUE(tray.items->empty());
    EXPECT_EQ(stored(), std::vector<std::string>{});
}

// A change edits the stored list only while it is this store's own: one another store wrote
// since is written whole, as this store's items stand.
TEST_F(TrayStoreTest, AListAnotherStoreWroteSinceIsWrittenWholeNotEdited) {
    const auto a = file("a.txt"), b = file("b.txt"), c = file("c.txt");
    TrayStore first;
    first.add({a, b});
    TrayStore second;
    second.add({c});
    first.remove(first.items.get()[0]);
    EXPECT_EQ(stored(), std::vector<std::string>{"file://" + b.string()});
}

TEST_F(TrayStoreTest, RelaunchGivesTheSameFilesWithNewIds) {
    const auto a = file("a.txt");
    std::string firstId;
    {
        TrayStore tray;
        tray.add({a});
        firstId = tray.items.get()[0].id();
    }
    platform::UserDefaults::resetStandard();  // as a new process reads the file again
    TrayStore again;
    ASSERT_EQ(urls(again), std::vector<fs::path>{a});
    EXPECT_NE(again.items.get()[0].id(), firstId);
    EXPECT_EQ(again.items.get()[0].id().size(), 36u);
}

TEST_F(TrayStoreTest, DroppedFilesAreAddedInTheOrderTheirLoadsComplete) {
    const auto a = file("a b.txt"), b = file("b.txt");
    ASSERT_TRUE(a.is_absolute());
    auto first =
        std::make_shared<fakes::FakeItemProvider>("file://" + fake.home.path().string() + "/a%20b.txt");
    auto second = std::make_shared<fakes::FakeItemProvider>("file://localhost" + b.string());
    auto none = std::make_shared<fakes::FakeItemProvider>(std::nullopt);
    auto failing = std::make_shared<fakes::FakeItemProvider>("file://" + b.string());

    TrayStore tray;
    tray.add({first, none, second, failing});
    second->complete();
    failing->complete(true);
    EXPECT_TRUE(tray.items->empty()) << "added on the main queue, not on the loading thread";
    fake.time.runPending();
    EXPECT_TRUE(tray.items->empty()) << "the drop is added whole, once every load has answered";
    first->complete();
    fake.time.runPending();
    EXPECT_EQ(urls(tray), (std::vector<fs::path>{b, a}));
    EXPECT_EQ(stored(), (std::vector<std::string>{"file://" + b.string(),
                                                  "file://" + fake.home.path().string() + "/a%20b.txt"}));
}

TEST_F(TrayStoreTest, ABigDropIsAddedInOneChange) {
    std::vector<std::shared_ptr<fakes::FakeItemProvider>> loads;
    std::vector<std::shared_ptr<platform::ItemProvider>> drop;
    for (int i = 0; i < 2000; ++i) {
        loads.push_back(
            std::make_shared<fakes::FakeItemProvider>("file:///tmp/archivo-" + std::to_string(i)));
        drop.push_back(loads.back());
    }
    TrayStore tray;
    int changes = 0;
    auto counting = tray.items.sink([&](const auto&) { ++changes; });
    tray.add(drop);
    for (auto& load : loads) load->complete();
    fake.time.runPending();
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(tray.items->size(), 2000u);
    EXPECT_EQ(tray.items.get()[1999].url(), fs::path("/tmp/archivo-1999"));
    EXPECT_EQ(stored()->size(), 2000u);
}

// Items are shared between the lists before and after a change, and a large list let go of is
// freed on a thread of its own: what a view still shows stays whole, and the file written after
// a burst of changes holds the last.
TEST_F(TrayStoreTest, ItemsShownOutliveTheChangesThatLetThemGo) {
    std::vector<fs::path> paths;
    for (int i = 0; i < 3000; ++i) paths.push_back("/tmp/archivo-" + std::to_string(i));
    const auto a = file("a.txt");
    std::vector<TrayItem> shown;
    {
        TrayStore tray;
        tray.add(paths);
        shown = tray.items.get();
        tray.remove(shown[1]);
        tray.add({a});
        ASSERT_EQ(tray.items->size(), paths.size());
        EXPECT_EQ(tray.items.get()[1], shown[2]);
        tray.clear();
        tray.add(paths);
        EXPECT_NE(tray.items.get()[0], shown[0]) << "a new item for the same file";
        tray.remove(tray.items.get()[0]);
    }
    ASSERT_EQ(shown.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ASSERT_EQ(shown[i].url(), paths[i]);
        ASSERT_EQ(shown[i], TrayItem(shown[i].id(), paths[i]));
    }
    platform::UserDefaults::resetStandard();  // as a new process reads the file again
    std::vector<std::string> last;
    for (std::size_t i = 1; i < paths.size(); ++i) last.push_back("file://" + paths[i].string());
    EXPECT_EQ(stored(), last);
}

TEST_F(TrayStoreTest, DroppedWebAddressAddsNothingButSaves) {
    TrayStore tray;
    auto web = std::make_shared<fakes::FakeItemProvider>("https://example.com/a.txt");
    tray.add({web});
    web->complete();
    fake.time.runPending();
    EXPECT_TRUE(tray.items->empty());
    EXPECT_EQ(stored(), std::vector<std::string>{});
}

TEST_F(TrayStoreTest, LoadCompletingAfterTheStoreIsGoneDoesNothing) {
    const auto a = file("a.txt");
    auto provider = std::make_shared<fakes::FakeItemProvider>("file://" + a.string());
    {
        TrayStore tray;
        tray.add({provider});
        provider->complete();
    }
    fake.time.runPending();
    EXPECT_FALSE(stored().has_value());
}

TEST_F(TrayStoreTest, AnyFileNameIsKeptAsAnAddressAndOldPathsStillLoad) {
    // Earlier versions stored plain paths; another program may write an address otherwise.
    const auto old = file("viejo.txt"), other = file("otro~a.txt"), same = file("mismo.txt");
    const std::string home = fake.home.path().string();
    platform::UserDefaults::standard().setStringArray(
        TrayStore::key,
        {old.string(), "file://localhost" + home + "/otro%7ea.txt", "file://" + same.string()});
    // Legal on Linux, and not UTF-8.
    const auto latin1 = file("se\xf1or a.txt");
    {
        TrayStore tray;
        ASSERT_EQ(urls(tray), (std::vector<fs::path>{old, other, same}));
        tray.add({latin1});
        // Each written as this store writes addresses.
        EXPECT_EQ(stored(), (std::vector<std::string>{"file://" + old.string(), "file://" + other.string(),
                                                      "file://" + same.string(),
                                                      "file://" + home + "/se%F1or%20a.txt"}));
    }
    // Every other setting is still written.
    EXPECT_TRUE(platform::UserDefaults::standard().setBool("trayEnabled", false));
    platform::UserDefaults::resetStandard();
    EXPECT_FALSE(platform::UserDefaults::standard().boolForKey("trayEnabled"));
    TrayStore again;
    EXPECT_EQ(urls(again), (std::vector<fs::path>{old, other, same, latin1}));
}

// Twenty thousand files with long names in the tray come to megabytes of settings (names that
// are not ASCII three times over, percent-encoded): saved and read back with every other
// setting, as is such a file an earlier version wrote, never set aside, and a change after it.
TEST_F(TrayStoreTest, TensOfThousandsOfLongNamesAreSavedAndReadBack) {
    std::string accented;
    while (accented.size() < 80) accented += "ñ";
    const fs::path settings = platform::UserDefaults::standard().file();
    for (const auto& [stem, writtenBefore] : {std::pair{accented, false}, {std::string(200, 'x'), true}}) {
        SCOPED_TRACE(writtenBefore);
        // Names of one file, made without an inode each.
        const fs::path one = file(stem.substr(0, 2));
        std::vector<fs::path> files;
        for (int i = 0; i < 20'000; ++i)
            fs::create_hard_link(one, files.emplace_back(one.string() + stem + std::to_string(i)));
        platform::UserDefaults::resetStandard();
        fs::remove_all(settings.parent_path());
        if (writtenBefore) {
            nlohmann::ordered_json old{{"didShowWelcome", true}, {TrayStore::key, nlohmann::json::array()}};
            for (const auto& f : files) old[TrayStore::key].push_back("file://" + f.string());
            ASSERT_FALSE(platform::writeFileAtomically(settings, old.dump(2)));
        } else {
            TrayStore().add(files);
            platform::UserDefaults::standard().setBool("didShowWelcome", true);
        }
        platform::UserDefaults::resetStandard();  // as a new process reads the file again
        EXPECT_GT(fs::exists(settings) ? fs::file_size(settings) : 0, 4u << 20);
        TrayStore again;
        EXPECT_EQ(again.items->size(), files.size());
        EXPECT_TRUE(platform::UserDefaults::standard().boolForKey("didShowWelcome"));
        again.add({file("uno-mas.txt")});
        platform::UserDefaults::resetStandard();
        EXPECT_EQ(TrayStore().items->size(), files.size() + 1);
        std::error_code error;
        EXPECT_EQ(std::distance(fs::directory_iterator(settings.parent_path(), error), {}), 1) << "set aside";
    }
}

TEST(TrayFilePathTest, ReadsLocalFileAddressesOnly) {
    EXPECT_EQ(TrayStore::filePath("file:///home/ana/Mis%20documentos/a%23b.txt"),
              fs::path("/home/ana/Mis documentos/a#b.txt"));
    EXPECT_EQ(TrayStore::filePath("FILE://LocalHost/tmp/x"), fs::path("/tmp/x"));
    EXPECT_EQ(TrayStore::filePath("file:/tmp/x?query#part"), fs::path("/tmp/x"));
    EXPECT_EQ(TrayStore::filePath("file:///tmp/%C3%B1"), fs::path("/tmp/ñ"));
    for (const char* url :
         {"https://example.com/a", "file://otra-maquina/tmp/x", "file://localhostx/tmp/x", "file:///tmp/%zz",
          "file:///tmp/%4", "file:///tmp/a%00b", "file:relativo.txt", "file://", "/tmp/x", ""}) {
        EXPECT_FALSE(TrayStore::filePath(url)) << url;
    }
}

}  // namespace
}  // namespace quorlix
