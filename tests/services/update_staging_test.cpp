#include "services/update_staging.h"

#include "fakes/fake_platform.h"
#include "fakes/update_fixtures.h"
#include "platform/base64.h"
#include "services/update_service.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quorlix {
namespace {

using namespace testing;

std::span<const std::uint8_t> span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(UpdateVerifyTest, LengthDigestAndSignatureMustAllMatch) {
    const auto key = pack::generateKeyPair();
    const auto other = pack::generateKeyPair();
    const std::string bytes = "el archivo de la versión nueva";
    const UpdateManifest good = signedManifest(bytes, key, "2.0");
    const std::string publicKey = platform::encodeBase64(key.publicKey);

    const auto with = [&](auto change) {
        UpdateManifest m = good;
        change(m);
        return m;
    };
    std::string upper = *good.sha256;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string signature63 =
        platform::encodeBase64(platform::decodeBase64(*good.signature)->data(), 63);
    const std::string otherSignature = signedManifest(bytes, other, "2.0").signature.value();

    struct Case {
        const char* name;
        std::string bytes;
        UpdateManifest manifest;
        std::string key;
        std::optional<UpdateError> expected;
    };
    const std::vector<Case> cases = {
        {"good", bytes, good, publicKey, std::nullopt},
        {"no size: the length is not checked", bytes, with([](auto& m) { m.size.reset(); }), publicKey,
         std::nullopt},
        {"one byte short", bytes.substr(0, bytes.size() - 1), good, publicKey, UpdateError::badFile},
        {"wrong digest", bytes, with([](auto& m) { m.sha256 = std::string(64, '0'); }), publicKey,
         UpdateError::badFile},
        {"upper-case digest", bytes, with([&](auto& m) { m.sha256 = upper; }), publicKey,
         UpdateError::badFile},
        {"no digest", bytes, with([](auto& m) { m.sha256.reset(); }), publicKey, UpdateError::badFile},
        {"signature missing", bytes, with([](auto& m) { m.signature.reset(); }), publicKey,
         UpdateError::badSignature},
        {"signature empty", bytes, with([](auto& m) { m.signature = ""; }), publicKey,
         UpdateError::badSignature},
        {"signature not base64", bytes, with([](auto& m) { m.signature = "firma!"; }), publicKey,
         UpdateError::badSignature},
        {"signature with a space", bytes, with([&](auto& m) { m.signature = " " + *good.signature; }),
         publicKey, UpdateError::badSignature},
        {"signature of 63 bytes", bytes, with([&](auto& m) { m.signature = signature63; }), publicKey,
         UpdateError::badSignature},
        {"signed with another key", bytes, with([&](auto& m) { m.signature = otherSignature; }), publicKey,
         UpdateError::badSignature},
        {"a key of 31 bytes", bytes, good, platform::encodeBase64(key.publicKey.data(), 31),
         UpdateError::badSignature},
        {"a key that is no base64", bytes, good, "clave", UpdateError::badSignature},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(verifyArchive(span(c.bytes), c.manifest, c.key), c.expected) << c.name;
    }
}

class UpdateStagingTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeApplication(app, "1.0");
        fs::create_directories(work);
    }

    // Stages `bytes` as the update to `version`.
    StageResult stage(const std::string& bytes, const std::string& version = "2.0",
                      ExtractionLimits limits = {}) {
        const fs::path archive = work / "Quorlix-update-A.tar";
        writeFile(archive, bytes);
        return stageUpdate({archive, work, signedManifest(bytes, key, version),
                            platform::encodeBase64(key.publicKey), app, limits});
    }

    fakes::TempHome home;
    pack::KeyPair key = pack::generateKeyPair();
    fs::path app = home.path() / "Applications" / "Quorlix";
    fs::path work = fs::canonical(home.path()) / "work";
};

TEST_F(UpdateStagingTest, AGoodArchiveIsStagedWithItsLinksAndModes) {
    const StageResult result = stage(makeArchive(applicationEntries("2.0")));
    ASSERT_FALSE(result.failure) << result.failure->description();
    EXPECT_EQ(result.staged.parent_path().parent_path(), work);
    EXPECT_EQ(result.staged.filename(), "Quorlix");
    EXPECT_EQ(result.staged.parent_path().filename().string().rfind("QuorlixUpdate-", 0), 0u);
    EXPECT_EQ(AppInfo::read(result.staged)->version, "2.0");
    EXPECT_EQ(fs::status(result.staged / "quorlix").permissions() & fs::perms::owner_exec,
              fs::perms::owner_exec);
    EXPECT_EQ(fs::read_symlink(result.staged / "lib" / "libdemo.so"), "libdemo.so.1");
    // The unpacked tree is gone; the download and the staged copy stay for the swap.
    const auto left = listing(work);
    EXPECT_TRUE(std::none_of(left.begin(), left.end(),
                             [](const std::string& p) { return p.rfind("QuorlixMount-", 0) == 0; }));
}

TEST_F(UpdateStagingTest, HostileArchivesAreRefusedAndLeaveNothingBehind) {
    auto good = applicationEntries("2.0");
    const auto plus = [&](std::vector<Entry> extra) {
        auto entries = good;
        entries.insert(entries.end(), extra.begin(), extra.end());
        return makeArchive(entries);
    };
    struct Case {
        const char* name;
        std::string bytes;
        UpdateError expected;
        std::string version = "2.0";
        ExtractionLimits limits = {};
    };
    const std::vector<Case> cases = {
        {"absolute path", plus({{"/tmp/quorlix-escape", AE_IFREG, 0644, "x"}}), UpdateError::badFile},
        {"climbing with ..", plus({{"Quorlix/../../escape", AE_IFREG, 0644, "x"}}), UpdateError::badFile},
        {"outside the top folder", plus({{"Otro/archivo", AE_IFREG, 0644, "x"}}), UpdateError::badFile},
        {"link to an absolute path", plus({{"Quorlix/etc", AE_IFLNK, 0777, {}, "/etc"}}),
         UpdateError::badFile},
        {"link climbing out", plus({{"Quorlix/up", AE_IFLNK, 0777, {}, "../.."}}), UpdateError::badFile},
        {"link climbing in the middle", plus({{"Quorlix/lib/x", AE_IFLNK, 0777, {}, "a/../../../b"}}),
         UpdateError::badFile},
        {"writing through a link",
         plus({{"Quorlix/out", AE_IFLNK, 0777, {}, "lib"}, {"Quorlix/out/x", AE_IFREG, 0644, "x"}}),
         UpdateError::badFile},
        {"hard link", plus({{"Quorlix/copia", AE_IFREG, 0644, {}, "Quorlix/quorlix", true}}),
         UpdateError::badFile},
        {"device", plus({{"Quorlix/null", AE_IFCHR, 0666}}), UpdateError::badFile},
        {"FIFO", plus({{"Quorlix/fifo", AE_IFIFO, 0644}}), UpdateError::badFile},
        {"too many bytes", makeArchive(good), UpdateError::badFile, "2.0", {100000, 20}},
        {"holes count as the bytes they become",
         plus({{"Quorlix/h1", AE_IFREG, 0644, "x", {}, false, 900 << 10},
               {"Quorlix/h2", AE_IFREG, 0644, "x", {}, false, 900 << 10},
               {"Quorlix/h3", AE_IFREG, 0644, "x", {}, false, 900 << 10}}),
         UpdateError::badFile,
         "2.0",
         {100000, 1 << 20}},
        {"a refused entry deep in a tree too deep for paths",
         [&] {
             std::vector<Entry> deep;
             std::string path = "Quorlix";
             for (int i = 0; i < 600; ++i) deep.push_back({path += "/carpeta", AE_IFDIR, 0755});
             deep.push_back({path + "/null", AE_IFCHR, 0666});
             return plus(deep);
         }(),
         UpdateError::badFile},
        {"too many entries", makeArchive(good), UpdateError::badFile, "2.0", {3, 1u << 30}},
        {"wrong identifier", makeArchive(applicationEntries("2.0", "com.example.otra")),
         UpdateError::badFile},
        {"wrong version", makeArchive(applicationEntries("2.1")), UpdateError::badFile},
        {"program not executable",
         makeArchive({{"Quorlix/", AE_IFDIR, 0755},
                      {"Quorlix/app-info.json", AE_IFREG, 0644, appInfoText("2.0")},
                      {"Quorlix/quorlix", AE_IFREG, 0644, "#!/bin/sh\n"}}),
         UpdateError::badFile},
        {"program is a link",
         makeArchive({{"Quorlix/", AE_IFDIR, 0755},
                      {"Quorlix/app-info.json", AE_IFREG, 0644, appInfoText("2.0")},
                      {"Quorlix/real", AE_IFREG, 0755, "#!/bin/sh\n"},
                      {"Quorlix/quorlix", AE_IFLNK, 0777, {}, "real"}}),
         UpdateError::badFile},
        {"not an archive", std::string(4096, 'x'), UpdateError::mount},
    };
    for (const auto& c : cases) {
        const StageResult result = stage(c.bytes, c.version, c.limits);
        if (!result.failure) {
            ADD_FAILURE() << c.name << ": staged";
            continue;
        }
        EXPECT_EQ(result.failure->error, c.expected) << c.name;
        EXPECT_EQ(listing(work), std::vector<std::string>{"Quorlix-update-A.tar"}) << c.name;
        EXPECT_FALSE(fs::exists("/tmp/quorlix-escape")) << c.name;
        fs::remove(work / "Quorlix-update-A.tar");
    }
    EXPECT_FALSE(fs::exists(home.path() / "escape"));
}

TEST_F(UpdateStagingTest, SetIdBitsAreDroppedAndTheFolderIsCheckedAgain) {
    auto entries = applicationEntries("2.0");
    entries[2].perm = 06755;  // the program, set-user-id and set-group-id
    StageResult result = stage(makeArchive(entries));
    ASSERT_FALSE(result.failure);
    struct stat info {};
    ASSERT_EQ(::stat((result.staged / "quorlix").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u);

    // The folder on disk meanwhile holds the offered version.
    writeApplication(app, "2.0");
    result = stage(makeArchive(applicationEntries("2.0")));
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->error, UpdateError::notNewer);
}

TEST_F(UpdateStagingTest, OnlyAReplaceableApplicationFolderIsReplaced) {
    EXPECT_EQ(installRefusal(app, "2.0"), std::nullopt);
    EXPECT_EQ(installRefusal(app, "1.0")->error, UpdateError::notNewer);
    EXPECT_EQ(installRefusal(app, "0.9")->error, UpdateError::notNewer);
    EXPECT_EQ(installRefusal(app, "1.0.1"), std::nullopt);

    // A build tree.
    writeFile(app / "resources" / ".devbuild", "");
    EXPECT_EQ(installRefusal(app, "2.0")->error, UpdateError::notWritable);
    fs::remove(app / "resources" / ".devbuild");
    // Another program's folder, or none with an app-info.json.
    writeFile(app / "app-info.json", appInfoText("1.0", "com.example.otra"));
    EXPECT_EQ(installRefusal(app, "2.0")->error, UpdateError::notWritable);
    fs::remove(app / "app-info.json");
    EXPECT_EQ(installRefusal(app, "2.0")->error, UpdateError::notWritable);
    EXPECT_EQ(installRefusal(home.path() / "nada", "2.0")->error, UpdateError::notWritable);
    // The user's data folder, whatever it holds.
    const fs::path data = home.data() / "Quorlix";
    writeApplication(data, "1.0");
    EXPECT_EQ(installRefusal(data, "2.0")->error, UpdateError::notWritable);
}

TEST(ApplicationFolderTest, TheBuildTreeIsADevelopmentBuildOfTheCompiledVersion) {
    fakes::TempHome home;
    const fs::path build = fs::path(QUORLIX_RESOURCES_DIR).parent_path();
    const auto info = AppInfo::read(build);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->identifier, ApplicationFolder::identifier);
    EXPECT_EQ(info->version, UpdateService::currentVersion());
    EXPECT_EQ(info->build, UpdateService::currentBuild());
    EXPECT_TRUE(ApplicationFolder::isDevelopmentBuild(build));
    EXPECT_EQ(installRefusal(build, info->version + ".1")->error, UpdateError::notWritable);
    EXPECT_TRUE(fs::is_regular_file(build / "resources" / "quorlix.png"));
}

TEST_F(UpdateStagingTest, AWorkFolderIsPrivateAndGoesWithItsOwner) {
    ScopedEnvironment tmp("TMPDIR", work.string());
    std::string error;
    fs::path path;
    {
        const auto folder = WorkFolder::create(error);
        ASSERT_TRUE(folder) << error;
        path = folder->path();
        EXPECT_EQ(path.parent_path(), work);
        EXPECT_EQ(path.filename().string().rfind("Quorlix-", 0), 0u);
        EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_all);
        writeFile(path / "a" / "b", "x");
    }
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace quorlix
