#include "platform/user_defaults.h"
#include "fakes/fake_platform.h"
#include "fakes/unprivileged_user.h"
#include "platform/atomic_file.h"
#include "platform/json_reader.h"
#include "platform/key_log.h"
#include "platform/paths.h"
#include "platform/url_query.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>

namespace quorlix {
namespace {

namespace fs = std::filesystem;
using platform::UserDefaults;

class UserDefaultsTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fs::path file() const { return platform::Paths::defaultsFile("com.test.domain"); }
};

TEST_F(UserDefaultsTest, ValuesReadBackWithTheirTypesAfterReload) {
    {
        UserDefaults d("com.test.domain");
        d.setBool("b", true);
        d.setInteger("i", 42);
        d.setDouble("whole", 3.0);
        d.setDouble("d", 0.6);
        d.setString("s", "hola");
        d.setStringArray("one", {"/solo/un/archivo"});
        d.setData("bytes", {0, 1, 254, 255});
        d.setData("empty", {});
    }
    UserDefaults d("com.test.domain");
    EXPECT_TRUE(d.object("b")->is_boolean());
    EXPECT_TRUE(d.object("i")->is_number_integer());
    EXPECT_TRUE(d.object("whole")->is_number_float()) << "a double that is whole must stay a double";
    EXPECT_EQ(d.doubleForKey("d"), 0.6);
    EXPECT_EQ(d.stringForKey("s"), "hola");
    EXPECT_EQ(d.stringArrayForKey("one"), std::vector<std::string>{"/solo/un/archivo"});
    EXPECT_EQ(d.dataForKey("bytes"), (UserDefaults::Data{0, 1, 254, 255}));
    EXPECT_EQ(d.dataForKey("empty"), UserDefaults::Data{});
    EXPECT_EQ(d.integerForKey("i"), 42);
}

TEST_F(UserDefaultsTest, ConvertingReadersFollowThePlatformRules) {
    UserDefaults d("com.test.domain");
    d.setString("yes", "YES");
    d.setString("true", "true");
    d.setString("no", "nope");
    d.setString("num", "2.5");
    d.setString("junk", "abc");
    d.setInteger("one", 1);
    d.setDouble("zero", 0.0);
    d.setDouble("pi", 3.25);
    d.setBool("flag", true);

    EXPECT_TRUE(d.boolForKey("yes"));
    EXPECT_TRUE(d.boolForKey("true"));
    EXPECT_FALSE(d.boolForKey("no"));
    EXPECT_TRUE(d.boolForKey("one"));
    EXPECT_FALSE(d.boolForKey("zero"));
    EXPECT_FALSE(d.boolForKey("missing"));
    EXPECT_EQ(d.doubleForKey("num"), 2.5);
    EXPECT_EQ(d.doubleForKey("junk"), 0);
    EXPECT_EQ(d.doubleForKey("flag"), 1);
    EXPECT_EQ(d.integerForKey("pi"), 3);
    EXPECT_EQ(d.stringForKey("pi"), "3.25");
    EXPECT_EQ(d.stringForKey("one"), "1");
    EXPECT_EQ(d.stringArrayForKey("yes"), std::nullopt);
    EXPECT_EQ(d.dataForKey("yes"), std::nullopt);
}

TEST_F(UserDefaultsTest, RegisteredValuesAnswerReadsButAreNeverWritten) {
    UserDefaults d("com.test.domain");
    d.registerDefaults({{"volume", 0.6}, {"name", "x"}});
    EXPECT_EQ(d.doubleForKey("volume"), 0.6);
    EXPECT_FALSE(d.hasStoredValue("volume"));
    EXPECT_FALSE(fs::exists(file())) << "registering must not create the file";

    d.setString("other", "y");
    d.flush();
    const auto onDisk = UserDefaults::persistentDomain("com.test.domain");
    ASSERT_TRUE(onDisk);
    EXPECT_FALSE(onDisk->contains("volume"));
    EXPECT_FALSE(onDisk->contains("name"));

    d.setDouble("volume", 0.2);
    EXPECT_EQ(d.doubleForKey("volume"), 0.2);
    d.removeObject("volume");
    EXPECT_EQ(d.doubleForKey("volume"), 0.6);
}

TEST_F(UserDefaultsTest, ABurstOfChangesEndsInTheFileWholeAndNothingIsLostWhenTheDomainGoes) {
    {
        UserDefaults d("com.test.domain");
        for (int i = 0; i < 30; ++i) d.setInteger("count", i);
        d.flush();
        EXPECT_EQ(UserDefaults::persistentDomain("com.test.domain")->at("count"), 29);
        int entries = 0;
        for (const auto& e : fs::directory_iterator(file().parent_path())) {
            ++entries;
            EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
        }
        EXPECT_EQ(entries, 1);

        // Written off the main thread: a domain that goes (the application quitting) first
        // writes what it still holds. Each change serialises the whole domain again: a few
        // hundred leave a write in flight at the end as surely as thousands, at a fraction of
        // the cost.
        for (int i = 0; i < 400; ++i) d.setString("path" + std::to_string(i), std::string(100, 'x'));
        d.setInteger("count", 30);
    }
    const auto onDisk = UserDefaults::persistentDomain("com.test.domain");
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->at("count"), 30);
    EXPECT_EQ(onDisk->size(), 401u);
}

// Addresses of `files` files with long names, as the tray keeps them: the `round`th tray.
std::vector<std::string> trayOf(int files, int round) {
    std::vector<std::string> urls;
    for (int i = 0; i < files; ++i)
        urls.push_back("file:///home/ana/%C3%B1" + std::string(600, 'a') + "-" + std::to_string(round) + "-" +
                       std::to_string(i));
    return urls;
}

// The values are turned into text off the main thread, each where it stands: the file is
// still the text of the whole domain as one object, byte for byte, and holds the last change.
TEST_F(UserDefaultsTest, TheFileAfterABurstOfLargeChangesHoldsTheLastInTheTextOfTheWhole) {
    UserDefaults d("com.test.domain");
    d.setBool("b", true);
    d.setDouble("d", 0.1);
    d.setString("s", "comillas \" barra \\ salto \n tab \t control \x01 ñ 😀");
    d.setObject("empty list", UserDefaults::Value::array());
    d.setObject("empty object", UserDefaults::Value::object());
    d.setObject("nested", {{"a", {1, {{"b", nullptr}}, "c"}}, {"d", {{"e", -2}}}});
    d.setData("bytes", {0, 1, 254, 255});
    d.setString("gone", "x");
    // About 1 MB a tray, each replacing the last while it is being written.
    for (int round = 0; round < 20; ++round) d.setStringArray("tray.paths", trayOf(1500, round));
    d.setInteger("b", 7);  // keeps its place, first
    d.removeObject("gone");
    d.flush();
    EXPECT_EQ(UserDefaults::persistentDomain("com.test.domain")->at("tray.paths"),
              UserDefaults::Value(trayOf(1500, 19)));
    const auto text = platform::readFile(file());
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->starts_with("{\n  \"b\": 7,\n  \"d\": 0.1,\n")) << text->substr(0, 40);
    EXPECT_EQ(*text, *platform::writeJSON(d.storedValues(), 2) + "\n");

    // A domain that goes (the application quitting, at SIGTERM too) while a write is under way
    // writes the last change once that one has ended.
    {
        UserDefaults quitting("com.test.domain");
        quitting.setStringArray("tray.paths", trayOf(3000, 1));
        quitting.setStringArray("tray.paths", trayOf(3000, 2));
    }
    EXPECT_EQ(UserDefaults::persistentDomain("com.test.domain")->at("tray.paths"),
              UserDefaults::Value(trayOf(3000, 2)));

    // With no key left, an empty object.
    UserDefaults emptied("com.test.domain");
    const auto stored = emptied.storedValues();
    for (const auto& [key, value] : stored.items()) emptied.removeObject(key);
    emptied.flush();
    EXPECT_EQ(platform::readFile(file()), "{}\n");
}

// An array is edited where it stands only while nothing else holds it: a value a caller keeps
// and the snapshots that writes under way read stay as they were, and the file holds the last
// edit. Edits that do not fit the stored value change nothing.
TEST_F(UserDefaultsTest, EditsOfAnArrayLeaveWhatOthersHoldAsItWasAndTheFileHoldsTheLast) {
    {
        UserDefaults d("com.test.domain");
        d.setStringArray("tray.paths", trayOf(1500, 0));
    }
    UserDefaults d("com.test.domain");
    UserDefaults::Value expected(trayOf(1500, 0));
    const auto held = d.storedObject("tray.paths");
    ASSERT_TRUE(d.editArray("tray.paths", 0, {"nuevo"}));
    EXPECT_EQ(*held, UserDefaults::Value(trayOf(1500, 0))) << "a caller's value changed";
    expected.erase(0);
    expected.push_back("nuevo");
    // Each while the write of the one before may still be turning the array into text.
    for (int round = 1; round <= 20; ++round) {
        const UserDefaults::Value added(trayOf(200, round));
        ASSERT_TRUE(d.editArray("tray.paths", round, added));
        expected.erase(static_cast<std::size_t>(round));
        for (const auto& url : added) expected.push_back(url);
    }
    d.flush();
    EXPECT_EQ(*d.storedObject("tray.paths"), expected);
    EXPECT_EQ(platform::readFile(file()), *platform::writeJSON(d.storedValues(), 2) + "\n");

    d.setBool("b", true);
    EXPECT_FALSE(d.editArray("tray.paths", expected.size(), UserDefaults::Value::array()));
    EXPECT_FALSE(d.editArray("tray.paths", std::nullopt, {"ok", "\xff"}));
    EXPECT_FALSE(d.editArray("b", std::nullopt, {"x"}));
    EXPECT_FALSE(d.editArray("ninguna", std::nullopt, {"x"}));
    EXPECT_EQ(*d.storedObject("tray.paths"), expected);
    EXPECT_EQ(d.object("b"), true);
    d.flush();
    EXPECT_EQ(UserDefaults::persistentDomain("com.test.domain")->at("tray.paths"), expected);
}

// A value is checked by walking it, not by writing it: it is refused exactly where the file's
// writer would fail, nested inside the file's object as it will be.
TEST_F(UserDefaultsTest, AValueIsRefusedExactlyWhereTheFileCouldNotHoldIt) {
    UserDefaults d("com.test.domain");
    const std::string texts[] = {
        "\xc0\xaf",
        "\xe0\x80\xaf",
        "\xed\xa0\x80",
        "\xf4\x90\x80\x80",
        "\xf8\x88\x80\x80\x80",
        "\xc3",
        "ab\xe2\x82",
        "\xe2\x82\xac",
        "\xf0\x9f\x98\x80",
        "\xf4\x8f\xbf\xbf",
        "\xed\x9f\xbf",
        "\xee\x80\x80",
        "12345678\xc3\xb1",
        "1234567\xff",
        "12345678\x80",
        std::string("a\0b", 3),
        "\xc2\x80\xdf\xbf",
        "\xe1\x80\x80\xc1",
    };
    for (const auto& text : texts) {
        const bool writable = platform::writeJSON(UserDefaults::Value(text)).has_value();
        EXPECT_EQ(d.setString("texto", text), writable) << platform::percentEncode(text);
        EXPECT_EQ(d.setObject(text, 1), writable) << "as a key: " << platform::percentEncode(text);
        EXPECT_EQ(d.setObject("lista", {{{"k", {text}}}}), writable) << platform::percentEncode(text);
    }
    // The file's object is one level more than the value: a value nested 128 deep would make a
    // file no load reads (and, once stored, one no write could write).
    const auto nested = [](int levels) {
        UserDefaults::Value value = 1;
        for (int i = 0; i < levels; ++i) value = UserDefaults::Value::array({value});
        return value;
    };
    EXPECT_TRUE(d.setObject("n", nested(127)));
    EXPECT_FALSE(d.setObject("n", nested(128)));
    d.setBool("after", true);
    d.flush();
    UserDefaults reloaded("com.test.domain");
    EXPECT_EQ(reloaded.object("n"), nested(127));
    EXPECT_TRUE(reloaded.boolForKey("after"));
}

TEST_F(UserDefaultsTest, AFailedWriteIsLoggedOnTheMainThread) {
    UserDefaults d("com.test.domain");
    d.setBool("b", true);
    d.flush();
    // The folder is taken away and a file stands in its place: the next write fails.
    fs::remove_all(file().parent_path());
    EXPECT_FALSE(platform::writeFileAtomically(file().parent_path(), "no soy una carpeta"));
    d.setBool("b", false);
    d.flush();
    EXPECT_NE(platform::readFile(KeyLog::path()).value_or("").find("Ajustes: "), std::string::npos);
    EXPECT_FALSE(d.boolForKey("b")) << "the change still applies in memory";
}

TEST_F(UserDefaultsTest, ACorruptFileIsMovedAsideWithALogLineNeverOverwritten) {
    // Not JSON; and JSON nested so deep that writing it back would overflow the stack.
    const std::string deep = "{\"a\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    for (const std::string& text : {std::string("{\"a\": tru"), deep}) {
        SCOPED_TRACE(text.substr(0, 20));
        fs::remove_all(file().parent_path());
        fs::create_directories(file().parent_path());
        ASSERT_FALSE(platform::writeFileAtomically(file(), text));
        UserDefaults d("com.test.domain");
        EXPECT_FALSE(d.object("a"));
        d.setBool("b", true);
        d.flush();

        std::vector<fs::path> aside;
        for (const auto& e : fs::directory_iterator(file().parent_path()))
            if (e.path().string().find(".corrupt-") != std::string::npos) aside.push_back(e.path());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(platform::readFile(aside[0]), text);
        const auto log = platform::readFile(KeyLog::path());
        ASSERT_TRUE(log);
        EXPECT_NE(log->find("dañado"), std::string::npos);
        EXPECT_TRUE(UserDefaults::persistentDomain("com.test.domain")->at("b").get<bool>());
    }
}

// The settings files set aside as damaged.
std::vector<fs::path> setAside(const fs::path& file) {
    std::vector<fs::path> aside;
    for (const auto& e : fs::directory_iterator(file.parent_path()))
        if (e.path().filename().string().starts_with(file.filename().string() + ".corrupt-"))
            aside.push_back(e.path());
    return aside;
}

TEST_F(UserDefaultsTest, AFileLargerThanSettingsEverAreIsMovedAsideUnreadAndNoneSuchIsWritten) {
    // Past the limit the settings are never read, whatever the limit: below, a smaller one
    // stands in where the files and the settings would otherwise take a quarter of a gigabyte.
    const std::size_t smallLimit = 1024 * 1024;
    struct Case {
        const char* name;
        std::string head;
        std::uintmax_t size;
        std::size_t limit = UserDefaults::maxFileSize;
    };
    const Case cases[] = {
        // Nothing but a hole: it would take the memory of its whole length to read.
        {"8 GiB of nothing", "", std::uintmax_t{8} << 30},
        {"settings followed by blanks past the limit", R"({"a": 1})", smallLimit + 1, smallLimit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(file().parent_path());
        fs::create_directories(file().parent_path());
        {
            std::ofstream out(file());
            out << c.head;
            if (!c.head.empty()) out << std::string(c.size - c.head.size(), ' ');
        }
        fs::resize_file(file(), c.size);
        UserDefaults d("com.test.domain", c.limit);
        EXPECT_FALSE(d.object("a"));
        d.setBool("b", true);
        d.flush();
        const auto aside = setAside(file());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(fs::file_size(aside[0]), c.size);
        EXPECT_EQ(UserDefaults::persistentDomain("com.test.domain"), UserDefaults::Value({{"b", true}}));
    }

    // Contents that would pass the limit are not written, and said so once: the file keeps the
    // last settings it could hold.
    UserDefaults d("com.test.domain", smallLimit);
    EXPECT_TRUE(d.setString("enorme", std::string(smallLimit, 'x')));
    EXPECT_TRUE(d.setString("enorme", std::string(smallLimit, 'y')));
    d.flush();
    EXPECT_EQ(UserDefaults::persistentDomain("com.test.domain"), UserDefaults::Value({{"b", true}}));
    const auto log = platform::readFile(KeyLog::path()).value_or("");
    EXPECT_NE(log.find("demasiados datos"), std::string::npos) << log;
    EXPECT_EQ(log.find("demasiados datos"), log.rfind("demasiados datos")) << log;
}

TEST_F(UserDefaultsTest, ASettingsFileThatIsALinkStaysOneAndWhatItNamesIsReplacedInItsFolder) {
    struct Case {
        const char* name;
        std::optional<std::string> target;  // what the file linked to holds; none: not there yet
        bool throughSecondLink = false;
        bool damaged = false;
    };
    const Case cases[] = {
        {"a link", R"({"a": 1})"},
        {"a chain of two links", R"({"a": 1})", true},
        {"a link to nothing yet", std::nullopt},
        {"a link to a damaged file", "{\"a\": tru", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dotfiles = fake.home.path() / "dotfiles";
        fs::remove_all(dotfiles);
        fs::remove_all(file().parent_path());
        fs::create_directories(dotfiles);
        fs::create_directories(file().parent_path());
        const fs::path target = dotfiles / "quorlix.json";
        if (c.target) {
            ASSERT_FALSE(platform::writeFileAtomically(target, *c.target));
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
        }
        // Relative, as a dotfiles manager makes them.
        const fs::path named = c.throughSecondLink ? dotfiles / "enlace.json" : target;
        if (c.throughSecondLink) fs::create_symlink("quorlix.json", named);
        const fs::path link = fs::relative(named, file().parent_path());
        fs::create_symlink(link, file());
        {
            UserDefaults d("com.test.domain");
            d.setBool("b", true);
        }
        ASSERT_TRUE(fs::is_symlink(file()));
        EXPECT_EQ(fs::read_symlink(file()), link);
        const auto written = UserDefaults::persistentDomain("com.test.domain");
        ASSERT_TRUE(written);
        EXPECT_TRUE(written->at("b").get<bool>());
        const bool kept = c.target && !c.damaged;
        EXPECT_EQ(written->contains("a"), kept);
        if (kept) {
            EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0600));
        }
        // Nothing left beside either but the damaged file, kept aside where it was.
        std::vector<std::string> beside;
        for (const fs::path& folder : {dotfiles, file().parent_path()})
            for (const auto& e : fs::directory_iterator(folder))
                beside.push_back(e.path().filename().string());
        std::sort(beside.begin(), beside.end());
        std::vector<std::string> expected{"com.test.domain.json", "quorlix.json"};
        if (c.throughSecondLink) expected.push_back("enlace.json");
        std::sort(expected.begin(), expected.end());
        if (c.damaged) {
            ASSERT_EQ(beside.size(), 3u) << ::testing::PrintToString(beside);
            EXPECT_TRUE(beside[2].starts_with("quorlix.json.corrupt-")) << beside[2];
            EXPECT_EQ(platform::readFile(dotfiles / beside[2]), *c.target);
        } else {
            EXPECT_EQ(beside, expected);
        }
    }
}

// How often `text` stands in the diagnostic log.
std::size_t logged(const std::string& text) {
    const auto log = platform::readFile(KeyLog::path()).value_or("");
    std::size_t count = 0;
    for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
}

// Gives a folder and what is in it to the user the unprivileged checks run as.
void giveAway(const fs::path& folder) {
    if (::geteuid() != 0) return;
    ASSERT_EQ(::chown(folder.c_str(), testing::nobody, testing::nobody), 0);
    for (const auto& e : fs::recursive_directory_iterator(folder))
        ASSERT_EQ(::lchown(e.path().c_str(), testing::nobody, testing::nobody), 0);
}

TEST_F(UserDefaultsTest, ALinkedFileWhoseFolderTakesNoNewFileIsWrittenInPlaceWithACopyKeptMeanwhile) {
    const fs::path dotfiles = fake.home.path() / "dotfiles";
    const fs::path target = dotfiles / "quorlix.json";
    const fs::path copy = file().parent_path() / ".com.test.domain.json.pending";
    fs::create_directories(file().parent_path());
    fs::create_directories(KeyLog::path().parent_path());
    ASSERT_FALSE(
        platform::writeFileAtomically(target, R"({"a": 1, "relleno": ")" + std::string(500, 'x') + "\"}"));
    fs::create_symlink(target, file());
    // The user may write the file and the settings' folder, not the file's folder (root writes
    // anywhere: then the writes run as an unprivileged user).
    fs::permissions(dotfiles, fs::perms(0555));
    giveAway(file().parent_path());
    giveAway(KeyLog::path().parent_path());
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(target.c_str(), testing::nobody, testing::nobody), 0);
    }
    EXPECT_TRUE(testing::asUnprivilegedUser([] {
        UserDefaults d("com.test.domain");
        d.removeObject("relleno");
        d.flush();
        d.setBool("b", true);
        d.flush();
        return true;
    }));
    // Shorter than before, and whole.
    EXPECT_EQ(platform::readFile(target), "{\n  \"a\": 1,\n  \"b\": true\n}\n");
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(std::distance(fs::directory_iterator(dotfiles), fs::directory_iterator()), 1);
    EXPECT_EQ(logged("no admite archivos nuevos"), 1u);
    fs::permissions(dotfiles, fs::perms(0755));

    // A write in place that a crash cut short: the file holds the new contents and the old
    // ones' tail, the copy the new contents whole. The copy is taken, and written again.
    ASSERT_FALSE(platform::writeFileAtomically(copy, R"({"a": 2})"));
    ASSERT_FALSE(platform::writeFileAtomically(target, R"({"a": 2}": true})"));
    {
        UserDefaults d("com.test.domain");
        EXPECT_EQ(d.integerForKey("a"), 2);
        EXPECT_FALSE(d.object("b"));
    }
    EXPECT_EQ(UserDefaults::persistentDomain("com.test.domain"), UserDefaults::Value({{"a", 2}}));
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(logged("se recuperó"), 1u);
}

// A copy a write in place left, weighed against the file it stands for: the newer of the two
// whole ones is taken, never a file cut short, and a copy of no use is kept aside.
TEST_F(UserDefaultsTest, APendingCopyStandsForTheFileOnlyUntilTheFileHasANewerCompleteWrite) {
    struct Case {
        const char* name;
        std::optional<std::string> linked;  // none: missing
        int newerBy;                        // seconds the linked file was written after the copy
        std::string copy;
        int loaded;
    };
    const Case cases[] = {
        {"edited by hand after", R"({"a": 3})", 60, R"({"a": 2})", 3},
        {"cut short after", R"({"a": 2}": true})", 1, R"({"a": 2})", 2},
        {"older", R"({"a": 1})", -60, R"({"a": 2})", 2},
        {"missing", std::nullopt, 0, R"({"a": 2})", 2},
        {"beside a copy cut short", R"({"a": 1})", -60, R"({"a": 2)", 1},
    };
    const fs::path target = fake.home.path() / "dotfile.json";
    const fs::path copy = file().parent_path() / ".com.test.domain.json.pending";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(target);
        fs::remove_all(file().parent_path());
        ASSERT_FALSE(platform::writeFileAtomically(copy, c.copy));
        if (c.linked) {
            ASSERT_FALSE(platform::writeFileAtomically(target, *c.linked));
            fs::last_write_time(target, fs::last_write_time(copy) + std::chrono::seconds(c.newerBy));
        }
        fs::create_symlink(target, file());
        EXPECT_EQ(UserDefaults("com.test.domain").integerForKey("a"), c.loaded);
        EXPECT_EQ(UserDefaults::persistentDomain("com.test.domain")->at("a"), c.loaded);
        EXPECT_FALSE(fs::exists(copy));
        const auto aside = setAside(copy);
        EXPECT_EQ(aside.size() == 1 && platform::readFile(aside[0]) == c.copy, c.loaded == 1);
    }
}

// What writes cut short by a kill left beside the settings (temporary files of the file and of
// its pending copy) goes at the next start; nothing else does, nor a write's under way (locked).
TEST_F(UserDefaultsTest, TemporaryFilesOfWritesCutShortGoAtStartAndNothingElse) {
    const fs::path folder = file().parent_path();
    std::set<std::string> kept{".com.test.domain.json.tmp-42", "com.test.domain.json",
                               ".com.test.domain.json.tmp-1x", ".com.test.domain.json.tmp-",
                               "com.test.domain.json.tmp-5",   ".otro.json.tmp-5"};
    fs::create_directories(folder);
    for (const auto& name : kept) std::ofstream(folder / name) << R"({"a": 2})";
    fs::create_directory(folder / *kept.insert(".com.test.domain.json.tmp-9").first);  // a folder
    for (const char* name : {".com.test.domain.json.tmp-3735928559", "..com.test.domain.json.pending.tmp-17"})
        std::ofstream(folder / name) << R"({"a": 1})";
    const int held = ::open((folder / ".com.test.domain.json.tmp-42").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(UserDefaults("com.test.domain").integerForKey("a"), 2);
    ::close(held);
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(folder)) left.insert(e.path().filename().string());
    EXPECT_EQ(left, kept);
}

// A folder that refuses every write: one line, not one a change (each names a temporary file
// of its own), until a write succeeds again.
TEST_F(UserDefaultsTest, AWriteThatKeepsFailingIsLoggedOnceUntilOneSucceeds) {
    const fs::path folder = file().parent_path();
    for (const fs::path& f : {folder, KeyLog::path().parent_path()}) {
        fs::create_directories(f);
        giveAway(f);
    }
    EXPECT_TRUE(testing::asUnprivilegedUser([&] {
        UserDefaults d("com.test.domain");
        for (const auto mode : {0555, 0755, 0555}) {
            fs::permissions(folder, fs::perms(mode));
            for (int i = 0; i < 20; ++i, d.flush()) d.setInteger("a", i);
        }
        return true;
    }));
    EXPECT_EQ(logged("no se pudo crear"), 2u);
}

TEST_F(UserDefaultsTest, ALinkThatGoesRoundInALoopIsLoggedOnceAndLeftAsItIs) {
    fs::create_directories(file().parent_path());
    fs::create_symlink(file().filename(), file());
    {
        UserDefaults d("com.test.domain");
        d.setBool("b", true);
        d.setBool("b", false);
        EXPECT_FALSE(d.boolForKey("b")) << "changes still apply in memory";
    }
    EXPECT_EQ(fs::read_symlink(file()), file().filename());
    EXPECT_EQ(std::distance(fs::directory_iterator(file().parent_path()), fs::directory_iterator()), 1);
    EXPECT_EQ(logged("no se pudo seguir " + file().string()), 1u);
}

TEST_F(UserDefaultsTest, AValueTheFileCannotHoldIsRefusedAndNothingStoredIsLost) {
    UserDefaults d("com.test.domain");
    ASSERT_TRUE(d.setString("ciudad", "Lima"));
    // A file name need not be UTF-8; JSON text must be.
    EXPECT_FALSE(d.setString("ciudad", "Li\xffma"));
    EXPECT_FALSE(d.setStringArray("bandeja", {"/tmp/a", "/tmp/\xfe"}));
    EXPECT_FALSE(d.setBool("clave\xff", true));
    EXPECT_EQ(d.stringForKey("ciudad"), "Lima");
    EXPECT_FALSE(d.object("bandeja"));

    // Later writes go on.
    EXPECT_TRUE(d.setBool("b", true));
    d.flush();
    UserDefaults reloaded("com.test.domain");
    EXPECT_EQ(reloaded.stringForKey("ciudad"), "Lima");
    EXPECT_TRUE(reloaded.boolForKey("b"));
    std::size_t refusals = 0;
    const auto log = platform::readFile(KeyLog::path()).value_or("");
    for (auto at = log.find("no se guardó"); at != std::string::npos; at = log.find("no se guardó", at + 1))
        ++refusals;
    EXPECT_EQ(refusals, 3u) << log;
}

TEST_F(UserDefaultsTest, WhatCannotBeReadIsNeverOverwritten) {
    // Something that is not a readable file stands where the domain's file should be.
    fs::create_directories(file() / "inside");
    {
        UserDefaults d("com.test.domain");
        d.setBool("b", true);
        EXPECT_TRUE(d.boolForKey("b")) << "changes still apply in memory";
    }
    EXPECT_TRUE(fs::is_directory(file() / "inside"));
    EXPECT_NE(platform::readFile(KeyLog::path()).value_or("").find("no se pudo leer"), std::string::npos);
}

TEST_F(UserDefaultsTest, NonFiniteDoublesReadBackAsAbsent) {
    UserDefaults d("com.test.domain");
    d.registerDefaults({{"x", 5.0}});
    d.setDouble("x", std::numeric_limits<double>::infinity());
    UserDefaults reloaded("com.test.domain");
    reloaded.registerDefaults({{"x", 5.0}});
    EXPECT_EQ(reloaded.doubleForKey("x"), 5.0);
}

}  // namespace
}  // namespace quorlix
