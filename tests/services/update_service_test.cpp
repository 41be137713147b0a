#include "services/update_service.h"

#include "fakes/fake_platform.h"
#include "fakes/update_fixtures.h"
#include "platform/base64.h"
#include "platform/key_log.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace update_service_test {

using namespace testing;
using State = UpdateService::State;

TEST(UpdateServiceTest, CheckWithoutAClientFailsButNeverWhileInstalling) {
    fakes::FakePlatform fake;
    UpdateService updates(UpdateService::Configuration{});
    bool finished = false;
    updates.check([&] { finished = true; });
    EXPECT_TRUE(finished);
    EXPECT_TRUE(std::holds_alternative<UpdateService::Failed>(updates.state.get()));
    EXPECT_EQ(updates.lastChecked.get(), fake.time.clock.date());

    updates.state = UpdateService::Downloading{0.3};
    fake.time.advance(10);
    updates.check();
    EXPECT_EQ(updates.state.get(), UpdateService::State{UpdateService::Downloading{0.3}});
    EXPECT_NE(updates.lastChecked.get(), fake.time.clock.date()) << "lastChecked untouched";
}

TEST(UpdateManifestTest, DecodingIsStrict) {
    struct Case {
        const char* json;
        bool decodes;
    };
    const std::vector<Case> cases = {
        {R"({"version":"1.2.0"})", true},
        {R"({"version":"1.2.0","build":42,"url":"https://x/a","notes":"n","sha256":"ab","signature":"cd","size":10})",
         true},
        {R"({"version":"1.2.0","build":null,"url":null,"notes":null,"sha256":null,"signature":null,"size":null})",
         true},
        {R"({"version":"1.2.0","extra":{"a":[1,2]},"channel":"beta"})", true},
        {R"({"version":"1.2.0","build":-3})", true},
        {R"({"version":"1.2.0","size":9223372036854775807})", true},
        {R"({})", false},
        {R"({"version":null})", false},
        {R"({"version":120})", false},
        {R"({"version":"1.2.0","build":"42"})", false},
        {R"({"version":"1.2.0","build":4.0})", false},
        {R"({"version":"1.2.0","size":1.5})", false},
        {R"({"version":"1.2.0","size":1e3})", false},
        {R"({"version":"1.2.0","size":-1})", false},
        {R"({"version":"1.2.0","size":9223372036854775808})", false},
        {R"({"version":"1.2.0","url":7})", false},
        {R"({"version":"1.2.0","signature":false})", false},
        {R"(["1.2.0"])", false},
        {R"("1.2.0")", false},
        {R"({"version":"1.2.0")", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(UpdateManifest::decode(c.json).has_value(), c.decodes) << c.json;

    const auto full = UpdateManifest::decode(
        R"({"version":"1.2.0","build":42,"url":"https://x/a","notes":"Nuevo","sha256":"ab","signature":"cd","size":10})");
    ASSERT_TRUE(full);
    EXPECT_EQ(*full, (UpdateManifest{"1.2.0", 42, "https://x/a", "Nuevo", "ab", "cd", 10}));
}

TEST(UpdateManifestTest, VersionsOrderByTheirNumbers) {
    struct Case {
        const char* a;
        const char* b;
        std::strong_ordering expected;
    };
    const std::vector<Case> cases = {
        {"1.10", "1.9", std::strong_ordering::greater},
        {"1.2.0", "1.10.0", std::strong_ordering::less},
        {"1.2.0", "1.1.9", std::strong_ordering::greater},
        {"1.2.0", "1.2.0", std::strong_ordering::equal},
        {"1.2", "1.2.0", std::strong_ordering::less},
        {"2.0", "10.0", std::strong_ordering::less},
        {"1.02", "1.2", std::strong_ordering::equal},
        {"1.0.0", "dev", std::strong_ordering::less},
        {"dev", "dev", std::strong_ordering::equal},
        {"1.0b2", "1.0b10", std::strong_ordering::less},
        {"99999999999999999999999", "99999999999999999999998", std::strong_ordering::greater},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(compareVersions(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(compareVersions(c.b, c.a), 0 <=> (compareVersions(c.a, c.b) <=> 0)) << c.b << " vs " << c.a;
    }
}

// The service on the fake platform, with an application folder of its own in a temporary
// tree and a key pair of the test's.
class UpdateServiceFixture : public ::testing::Test {
protected:
    UpdateServiceFixture() {
        writeApplication(app, UpdateService::currentVersion());
        fs::create_directories(tmp);
    }

    UpdateService::Configuration configuration() {
        UpdateService::Configuration c;
        c.http = &fake.httpClient;
        c.workspace = &fake.workspace;
        c.launcher = &fake.processLauncher;
        c.worker = &fake.utilityQueue;
        c.siteURL = "https://quorlix.halvik.com";
        c.publicKey = platform::encodeBase64(key.publicKey);
        c.applicationFolder = app;
        c.processID = 4242;
        c.terminate = [this] { ++terminated; };
        return c;
    }

    // Answers the latest check with `manifest`.
    void answer(const UpdateManifest& manifest) {
        updates.check();
        fake.httpClient.respond(fake.httpClient.requests.size() - 1, 200, manifestJSON(manifest));
    }

    std::string newer() const { return UpdateService::currentVersion() + ".1"; }

    // The last line of the diagnostic log, without its date.
    static std::string lastLogLine() {
        std::string text = readText(KeyLog::path());
        if (!text.empty() && text.back() == '\n') text.pop_back();
        const auto line = text.substr(text.rfind('\n') + 1);
        const auto at = line.find("update: ");
        return at == std::string::npos ? line : line.substr(at);
    }

    fakes::FakePlatform fake;
    pack::KeyPair key = pack::generateKeyPair();
    fs::path app = fs::canonical(fake.home.path()) / "Applications" / "Quorlix";
    fs::path tmp = fs::canonical(fake.home.path()) / "tmp";
    ScopedEnvironment tmpdir{"TMPDIR", tmp.string()};
    int terminated = 0;
    UpdateService updates{configuration()};
};

TEST_F(UpdateServiceFixture, CheckJudgesTheManifestAndKeepsItOnFailure) {
    updates.check();
    ASSERT_EQ(fake.httpClient.requests.size(), 1u);
    const auto& request = fake.httpClient.requests[0].request;
    EXPECT_EQ(request.url, "https://quorlix.halvik.com/version.json");
    EXPECT_EQ(request.timeout, 60);
    EXPECT_EQ(request.headers,
              (std::vector<std::pair<std::string, std::string>>{{"Cache-Control", "no-cache"}}));
    EXPECT_EQ(updates.state.get(), State{UpdateService::Checking{}});

    fake.httpClient.respond(0, 200, R"({"version":")" + newer() + R"(","notes":"Más rápido"})");
    EXPECT_EQ(updates.state.get(), State{UpdateService::Available{newer()}});
    EXPECT_EQ(updates.manifest.get()->notes, "Más rápido");
    EXPECT_EQ(updates.lastChecked.get(), fake.time.clock.date());

    struct Case {
        int status;
        std::string body;
        State expected;
    };
    const std::string same = R"({"version":")" + UpdateService::currentVersion() + R"("})";
    const std::vector<Case> cases = {
        {200, same, UpdateService::UpToDate{}},
        {200, R"({"version":"0.0.1"})", UpdateService::UpToDate{}},
        {304, same, UpdateService::Failed{}},
        {500, same, UpdateService::Failed{}},
        {200, R"({"version":"9.0","build":"9"})", UpdateService::Failed{}},
        {0, "", UpdateService::Failed{}},  // no answer at all
    };
    for (const auto& c : cases) {
        const auto held = updates.manifest.get();
        fake.time.advance(5);
        updates.check();
        const std::size_t index = fake.httpClient.requests.size() - 1;
        if (c.status == 0) {
            fake.httpClient.fail(index);
        } else {
            fake.httpClient.respond(index, c.status, c.body);
        }
        EXPECT_EQ(updates.state.get(), c.expected) << c.status << " " << c.body;
        EXPECT_EQ(updates.lastChecked.get(), fake.time.clock.date()) << c.body;
        if (c.expected == State{UpdateService::Failed{}}) {
            EXPECT_EQ(updates.manifest.get(), held) << c.body;
        }
    }
}

TEST_F(UpdateServiceFixture, AnInstallOwnsTheStateUntilItEnds) {
    updates.check();  // in flight while the install starts
    answer({newer(), {}, "https://quorlix.halvik.com/a.tar.gz", {}, "ab", "cd", {}});
    const auto offered = updates.manifest.get();
    updates.install();
    EXPECT_EQ(updates.state.get(), State{UpdateService::Downloading{0}});

    const auto requests = fake.httpClient.requests.size();
    updates.check();
    EXPECT_EQ(fake.httpClient.requests.size(), requests) << "no request while installing";

    // The late answer to the first check: the install keeps its state and manifest.
    fake.time.advance(3);
    fake.httpClient.respond(0, 200, R"({"version":"0.1"})");
    EXPECT_EQ(updates.state.get(), State{UpdateService::Downloading{0}});
    EXPECT_EQ(updates.manifest.get(), offered);
    EXPECT_EQ(updates.lastChecked.get(), fake.time.clock.date());

    // A second install while the first runs does nothing, not even open the page.
    fake.time.runPending();
    const auto downloads = fake.httpClient.downloads.size();
    updates.install();
    EXPECT_EQ(fake.httpClient.downloads.size(), downloads);
    EXPECT_TRUE(fake.workspace.openedURLs.empty());
}

// No progress is told on the way: with the manifest's size or without, the state shows 0 until
// the download has ended.
TEST_F(UpdateServiceFixture, TheDownloadShowsNoProgressUntilItEnds) {
    for (const auto size : std::vector<std::optional<std::int64_t>>{4096, std::nullopt}) {
        answer({newer(), {}, "https://quorlix.halvik.com/Quorlix.tar.gz", {}, "ab", "cd", size});
        std::vector<State> shown;
        auto watching = updates.state.sink([&](const State& s) { shown.push_back(s); });
        updates.install();
        fake.time.runPending();
        ASSERT_FALSE(fake.httpClient.downloads.empty());
        fake.httpClient.deliver(fake.httpClient.downloads.size() - 1, 200, std::string(4096, 'z'));
        EXPECT_EQ(shown, (std::vector<State>{UpdateService::Downloading{0}, UpdateService::Installing{}}));
        fake.time.runPending();
    }
}

TEST_F(UpdateServiceFixture, OnlyTheSiteItselfIsTrustedToServeTheArchive) {
    struct Case {
        const char* url;
        bool trusted;
    };
    const std::vector<Case> cases = {
        {"https://quorlix.halvik.com/Quorlix-2.0.tar.xz", true},
        {"https://quorlix.halvik.com:443/Quorlix-2.0.tar.xz", true},
        {"https://QUORLIX.halvik.com/Quorlix-2.0.tar.xz", true},
        {"http://quorlix.halvik.com/Quorlix-2.0.tar.xz", false},
        {"HTTPS://quorlix.halvik.com/Quorlix-2.0.tar.xz", false},
        {"https://otro.example.com/Quorlix-2.0.tar.xz", false},
        {"https://quorlix.halvik.com.example.com/a", false},
        {"https://quorlix.halvik.com:8443/Quorlix-2.0.tar.xz", false},
        {"https://user@quorlix.halvik.com/a", false},
        {"https://otro.example.com@quorlix.halvik.com/a", false},
        {"https://quorlix.halvik.com\\@otro.example.com/a", false},
        {"https://quorlix.halvik.com%2F@otro/a", false},
        {"quorlix.halvik.com/a", false},
        {"", false},
    };
    for (const auto& c : cases) {
        answer({newer(), {}, c.url, {}, "ab", "cd", {}});
        EXPECT_EQ(updates.trustedDownloadURL().has_value(), c.trusted) << c.url;
    }

    // An untrusted address, or a manifest without digest or signature, sends the user to the
    // download page; so does any state but `available`.
    const std::vector<UpdateManifest> refused = {
        {newer(), {}, "https://otro.example.com/a.tar.xz", {}, "ab", "cd", {}},
        {newer(), {}, "https://quorlix.halvik.com/a.tar.xz", {}, std::nullopt, "cd", {}},
        {newer(), {}, "https://quorlix.halvik.com/a.tar.xz", {}, "ab", std::nullopt, {}},
        {newer(), {}, std::nullopt, {}, "ab", "cd", {}},
    };
    for (const auto& manifest : refused) {
        answer(manifest);
        updates.install();
        EXPECT_EQ(updates.state.get(), State{UpdateService::Available{newer()}});
    }
    answer({newer(), {}, "https://quorlix.halvik.com/a.tar.xz", {}, "ab", "cd", {}});
    EXPECT_TRUE(updates.canInstall());
    updates.state = UpdateService::InstallFailed{"x"};
    EXPECT_FALSE(updates.canInstall());
    updates.install();
    EXPECT_EQ(fake.workspace.openedURLs,
              std::vector<std::string>(refused.size() + 1, "https://quorlix.halvik.com/descargar.html"));
    EXPECT_TRUE(fake.httpClient.downloads.empty());
}

TEST_F(UpdateServiceFixture, ADownloadIsBoundedWhateverItsManifestSays) {
    struct Case {
        std::optional<std::int64_t> size;
        std::uint64_t cap;
        double deadline;
    };
    const std::uint64_t huge = std::uint64_t{1} << 40;
    // A minute and the cap taken at the low speed limit (a kibibyte a second), or the hour if
    // that is shorter: a terabyte announced gives no days of downloading.
    for (const Case& c : {Case{std::nullopt, UpdateService::maxDownloadSize, 3600}, Case{4096, 4096, 64},
                          Case{static_cast<std::int64_t>(huge), UpdateService::downloadCeiling, 3600}}) {
        UpdateManifest manifest{newer(), {},    "https://quorlix.halvik.com/Quorlix.tar.gz", {}, "ab",
                                "cd",    c.size};
        answer(manifest);
        updates.install();
        fake.time.runPending();
        ASSERT_FALSE(fake.httpClient.downloads.empty());
        const auto& request = fake.httpClient.downloads.back().request;
        EXPECT_EQ(request.maxSize, c.cap);
        EXPECT_DOUBLE_EQ(request.deadline, c.deadline);
        // And, whatever the deadline, less than a kibibyte a second over a minute ends it.
        EXPECT_EQ(request.lowSpeedLimit, 1024u);
        EXPECT_DOUBLE_EQ(request.lowSpeedTime, 60);
        fake.httpClient.failDownload(fake.httpClient.downloads.size() - 1);
        fake.time.runPending();
    }

    // Every hop of a redirect is judged as the manifest's address is.
    const auto& allow = fake.httpClient.downloads.back().request.allowRedirect;
    ASSERT_TRUE(allow);
    EXPECT_TRUE(allow("https://quorlix.halvik.com/espejo/Quorlix.tar.gz"));
    EXPECT_FALSE(allow("https://otro.example.com/Quorlix.tar.gz"));
    EXPECT_FALSE(allow("http://quorlix.halvik.com/Quorlix.tar.gz"));
    EXPECT_FALSE(allow("https://quorlix.halvik.com:8443/Quorlix.tar.gz"));
}

TEST_F(UpdateServiceFixture, ASignedUpdateIsStagedAndSwappedIn) {
    const std::string archive = makeArchive(applicationEntries(newer()));
    answer(signedManifest(archive, key, newer(), "https://quorlix.halvik.com/Quorlix.tar.gz"));
    updates.install();
    fake.time.runPending();
    ASSERT_EQ(fake.httpClient.downloads.size(), 1u);
    const auto& request = fake.httpClient.downloads[0].request;
    EXPECT_EQ(request.url, "https://quorlix.halvik.com/Quorlix.tar.gz");
    EXPECT_EQ(request.maxSize, archive.size());
    EXPECT_EQ(request.idleTimeout, 60);
    const fs::path work = request.destination.parent_path();
    EXPECT_EQ(work.parent_path(), tmp);
    EXPECT_EQ(request.destination.filename().string().rfind("Quorlix-update-", 0), 0u);

    fake.httpClient.deliver(0, 200, archive);
    EXPECT_EQ(updates.state.get(), State{UpdateService::Installing{}});
    fake.time.runPending();

    ASSERT_EQ(fake.processLauncher.launches.size(), 1u);
    const auto& launch = fake.processLauncher.launches[0];
    EXPECT_EQ(launch.program, "/bin/sh");
    ASSERT_EQ(launch.arguments.size(), 9u);
    EXPECT_EQ(launch.arguments[0], "-c");
    EXPECT_EQ(launch.arguments[1].find(app.string()), std::string::npos) << "paths never enter the script";
    EXPECT_EQ(launch.arguments[3], "4242");
    EXPECT_EQ(launch.arguments[4], app.string());
    EXPECT_EQ(launch.arguments[5], app.string() + ".old");
    EXPECT_EQ(AppInfo::read(launch.arguments[6])->version, newer());
    EXPECT_EQ(launch.arguments[7], work.string());
    EXPECT_EQ(launch.arguments[8], "60");
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(fs::exists(work)) << "the swap removes it";
}

TEST_F(UpdateServiceFixture, EveryFailureIsLoggedThenShownAndCleansUp) {
    const std::string archive = makeArchive(applicationEntries(newer()));
    const UpdateManifest good = signedManifest(archive, key, newer());
    const std::string incomplete = "La descarga llegó incompleta. Intenta de nuevo.";

    struct Case {
        const char* name;
        std::function<void()> answerDownload;  // none: the install stops before downloading
        std::string log;
        State expected;
        UpdateManifest manifest;
    };
    const auto deliver = [this](int status, std::string body) {
        return [this, status, body] {
            fake.httpClient.deliver(fake.httpClient.downloads.size() - 1, status, body);
        };
    };
    UpdateManifest unsigned_ = good;
    unsigned_.signature = signedManifest(archive, pack::generateKeyPair(), newer()).signature;
    const std::vector<Case> cases = {
        {"status 404", deliver(404, archive), "update: badFile", UpdateService::InstallFailed{incomplete},
         good},
        {"one byte short", deliver(200, archive.substr(1)), "update: badFile",
         UpdateService::InstallFailed{incomplete}, good},
        {"longer than its size",
         [this] {
             fake.httpClient.failDownload(fake.httpClient.downloads.size() - 1, "respuesta demasiado grande",
                                          true);
         },
         "update: badFile", UpdateService::InstallFailed{incomplete}, good},
        {"no network",
         [this] { fake.httpClient.failDownload(fake.httpClient.downloads.size() - 1, "sin conexión"); },
         "update: sin conexión", UpdateService::InstallFailed{"No se pudo descargar la actualización."},
         good},
        {"another key", deliver(200, archive), "update: badSignature",
         UpdateService::InstallFailed{"La descarga no tiene la firma de Quorlix. No se instaló."}, unsigned_},
        {"not an archive", deliver(200, std::string(64, 'x')), "update: mount",
         UpdateService::InstallFailed{"No se pudo abrir la descarga. Intenta de nuevo."},
         signedManifest(std::string(64, 'x'), key, newer())},
    };
    for (const auto& c : cases) {
        answer(c.manifest);
        // The log line is written before the state is shown.
        std::string loggedFirst;
        Subscription watch = updates.state.sink([&](const State& s) {
            if (std::holds_alternative<UpdateService::InstallFailed>(s)) loggedFirst = lastLogLine();
        });
        updates.install();
        fake.time.runPending();
        c.answerDownload();
        fake.time.runPending();
        EXPECT_EQ(updates.state.get(), c.expected) << c.name;
        EXPECT_EQ(loggedFirst, c.log) << c.name;
        EXPECT_TRUE(listing(tmp).empty()) << c.name << ": " << listing(tmp).front();
    }
    EXPECT_TRUE(fake.processLauncher.launches.empty());

    // Starting the swap fails.
    fake.processLauncher.failure = "/bin/sh: No such file or directory";
    answer(good);
    updates.install();
    fake.time.runPending();
    deliver(200, archive)();
    fake.time.runPending();
    EXPECT_EQ(updates.state.get(),
              State{UpdateService::InstallFailed{"No se pudo descargar la actualización."}});
    EXPECT_EQ(lastLogLine(), "update: /bin/sh: No such file or directory");
    EXPECT_TRUE(listing(tmp).empty());
    EXPECT_EQ(terminated, 0);
}

TEST_F(UpdateServiceFixture, TheFolderIsCheckedBeforeAnythingIsDownloaded) {
    const std::string archive = makeArchive(applicationEntries(newer()));
    const UpdateManifest good = signedManifest(archive, key, newer());
    const std::string notWritable = "No se puede escribir en Aplicaciones. Descárgala desde la página.";
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::string log;
        State expected;
    };
    const std::vector<Case> cases = {
        {"a development build", [&] { writeFile(app / "resources" / ".devbuild", ""); },
         "update: notWritable", UpdateService::InstallFailed{notWritable}},
        {"no app-info.json", [&] { fs::remove(app / "app-info.json"); }, "update: notWritable",
         UpdateService::InstallFailed{notWritable}},
        {"already newer on disk", [&] { writeApplication(app, newer() + ".5"); }, "update: notNewer",
         UpdateService::UpToDate{}},
    };
    for (const auto& c : cases) {
        fs::remove_all(app);
        writeApplication(app, UpdateService::currentVersion());
        c.prepare();
        answer(good);
        updates.install();
        fake.time.runPending();
        EXPECT_EQ(updates.state.get(), c.expected) << c.name;
        EXPECT_EQ(lastLogLine(), c.log) << c.name;
        EXPECT_TRUE(fake.httpClient.downloads.empty()) << c.name;
        EXPECT_TRUE(listing(tmp).empty()) << c.name;
    }
}

}  // namespace update_service_test
}  // namespace
}  // namespace quorlix
