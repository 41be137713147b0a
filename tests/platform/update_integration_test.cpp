// The updater end to end: a local HTTPS server (a certificate the test makes with openssl,
// trusted by this process only) serves version.json and a signed archive to the real HTTP
// client; the check, the install, the real swap script and the relaunch leave the temporary
// application folder on the new version.

#include "platform/base64.h"
#include "platform/linux/detached_process_launcher.h"
#include "services/update_service.h"

#include "child_process.h"
#include "fakes/update_fixtures.h"
#include "local_http_server.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace quorlix::testing {
namespace {

class UpdateIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("openssl").isEmpty()) GTEST_SKIP() << "openssl is not installed";
        if (!QSslSocket::supportsSsl()) GTEST_SKIP() << "Qt has no TLS backend";
        const QString cert = QString::fromStdString((root / "cert.pem").string());
        const QString key = QString::fromStdString((root / "key.pem").string());
        QProcess openssl;
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days",
                       "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
        ASSERT_TRUE(waitUntil([&] { return openssl.state() == QProcess::NotRunning; }));
        ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();

        const auto certificates = QSslCertificate::fromPath(cert);
        ASSERT_EQ(certificates.size(), 1);
        QFile keyFile(key);
        ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(certificates.front());
        tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        this->tls = tls;
        server = std::make_unique<LocalServer>(tls);
        ASSERT_TRUE(server->isListening());

        // This process alone trusts the certificate.
        savedDefault_ = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = savedDefault_;
        trusting.addCaCertificates(certificates);
        QSslConfiguration::setDefaultConfiguration(trusting);

        backends.mainQueue = &mainQueue;
        backends.clock = &clock;
        platform::install(backends);
    }
    void TearDown() override {
        platform::install(platform::Platform{});
        if (server) QSslConfiguration::setDefaultConfiguration(savedDefault_);
    }

    QtApplicationMember application;
    fakes::TempHome home;
    fs::path root = fs::canonical(home.path());
    platform::QtMainQueue mainQueue;
    platform::SystemClock clock;
    platform::Platform backends;
    std::unique_ptr<LocalServer> server;
    // The server's TLS set-up, trusted by this process: another server may share it.
    QSslConfiguration tls;
    platform::QtHttpClient http;
    platform::DetachedProcessLauncher launcher;

private:
    QSslConfiguration savedDefault_;
};

TEST_F(UpdateIntegrationTest, CheckInstallSwapAndRelaunch) {
    const std::string version = UpdateService::currentVersion() + ".1";
    const std::string marker =
        "#!/bin/sh\necho \"$(cat \"$(dirname \"$0\")/app-info.json\")\" > \"$(dirname "
        "\"$0\")/../launched\"\n";
    const fs::path app = root / "Applications" / "Quorlix";
    writeApplication(app, UpdateService::currentVersion(), marker);
    const fs::path next = root / "build" / "Quorlix";
    writeApplication(next, version, marker);

    const pack::KeyPair key = pack::generateKeyPair();
    const fs::path archive = root / "Quorlix.tar.xz";
    ASSERT_EQ(pack::packFolder(next, archive), std::nullopt);
    const std::string bytes = readText(archive);
    const auto fields = pack::describe(pack::Bytes(bytes.begin(), bytes.end()), key);
    server->replies["/version.json"] = {
        200, QByteArray::fromStdString(pack::manifestText(next, server->base() + "/Quorlix.tar.xz", fields))};
    server->replies["/Quorlix.tar.xz"] = {200, QByteArray::fromStdString(bytes), "application/x-xz"};

    fs::create_directories(root / "tmp");
    ScopedEnvironment tmpdir("TMPDIR", (root / "tmp").string());
    ChildProcess running({"sleep", "60"});
    ASSERT_TRUE(running.started());
    int terminated = 0;

    UpdateService::Configuration c;
    c.http = &http;
    c.launcher = &launcher;
    c.siteURL = server->base();
    c.publicKey = platform::encodeBase64(key.publicKey);
    c.applicationFolder = app;
    c.processID = running.pid();
    c.terminate = [&] {
        ++terminated;
        running.stop();
    };
    UpdateService updates(c);

    updates.check();
    ASSERT_TRUE(
        waitUntil([&] { return !std::holds_alternative<UpdateService::Checking>(updates.state.get()); }));
    ASSERT_EQ(updates.state.get(), UpdateService::State{UpdateService::Available{version}});
    ASSERT_TRUE(updates.canInstall());

    updates.install();
    ASSERT_TRUE(waitUntil([&] {
        return terminated > 0 || std::holds_alternative<UpdateService::InstallFailed>(updates.state.get());
    }));
    ASSERT_EQ(terminated, 1) << std::get<UpdateService::InstallFailed>(updates.state.get()).message;

    const fs::path launched = root / "Applications" / "launched";
    ASSERT_TRUE(waitUntil([&] { return !readText(launched).empty(); })) << "the new program was not started";
    EXPECT_NE(readText(launched).find("\"version\":\"" + version + "\""), std::string::npos)
        << readText(launched);
    EXPECT_EQ(AppInfo::read(app)->version, version);
    EXPECT_EQ(readText(app / "resources" / "Sounds" / "timbre.wav"), "RIFF");
    EXPECT_FALSE(fs::exists(root / "Applications" / "Quorlix.old"));
    EXPECT_TRUE(listing(root / "tmp").empty());
}

// Starts nothing: the swap is taken as started.
struct NoSwap final : platform::ProcessLauncher {
    std::optional<std::string> launchDetached(const std::string&, const std::vector<std::string>&) override {
        return std::nullopt;
    }
};

// What an install's download is allowed.
struct Limits {
    double grace = 60;  // seconds for the download beyond its size
    double lowSpeedTime = 60;
    std::optional<std::int64_t> declaredSize;  // the manifest's size, when not the archive's
};

// An application folder and a signed archive of its next version, installed through the real
// client from addresses on the local site; the swap itself is not started.
class UpdateLimitsTest : public UpdateIntegrationTest {
protected:
    void SetUp() override {
        UpdateIntegrationTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        writeApplication(app, UpdateService::currentVersion());
        const fs::path next = root / "build" / "Quorlix";
        writeApplication(next, version);
        ASSERT_EQ(pack::packFolder(next, root / "Quorlix.tar.xz"), std::nullopt);
        archive = readText(root / "Quorlix.tar.xz");
        fs::create_directories(root / "tmp");
    }

    // Installs the archive the manifest names at `url`: the message it failed with, or nothing
    // once the swap was asked for.
    std::optional<std::string> install(const std::string& url, Limits limits = {}) {
        UpdateManifest manifest = signedManifest(archive, key, version, url);
        if (limits.declaredSize) manifest.size = limits.declaredSize;
        server->replies["/version.json"] = {200, QByteArray::fromStdString(manifestJSON(manifest))};

        UpdateService::Configuration c;
        c.http = &http;
        c.launcher = &noSwap;
        c.siteURL = server->base();
        c.publicKey = platform::encodeBase64(key.publicKey);
        c.applicationFolder = app;
        c.processID = 4242;
        bool swapped = false;
        c.terminate = [&] { swapped = true; };
        c.downloadGrace = limits.grace;
        c.lowSpeedTime = limits.lowSpeedTime;
        UpdateService updates(c);
        updates.check();
        EXPECT_TRUE(
            waitUntil([&] { return std::holds_alternative<UpdateService::Available>(updates.state.get()); }));
        updates.install();
        const auto failed = [&] { return std::get_if<UpdateService::InstallFailed>(&updates.state.get()); };
        EXPECT_TRUE(waitUntil([&] { return swapped || failed(); })) << url;
        if (const auto* f = failed()) return f->message;
        return std::nullopt;
    }

    const std::string version = UpdateService::currentVersion() + ".1";
    const fs::path app = root / "Applications" / "Quorlix";
    const pack::KeyPair key = pack::generateKeyPair();
    std::string archive;
    NoSwap noSwap;
    ScopedEnvironment tmpdir{"TMPDIR", (root / "tmp").string()};
};

TEST_F(UpdateLimitsTest, EveryHopOfARedirectKeepsToTheSite) {
    // Another site, as trusted by TLS as ours, serving the same archive.
    LocalServer elsewhere(tls);
    ASSERT_TRUE(elsewhere.isListening());
    const QByteArray bytes = QByteArray::fromStdString(archive);
    elsewhere.replies["/Quorlix.tar.xz"] = {200, bytes, "application/x-xz"};
    const QByteArray site = QByteArray::fromStdString(server->base());
    const QByteArray plain = "http" + site.mid(5);
    const auto redirect = [](const QByteArray& to) {
        return LocalServer::Reply{302, "", "text/plain", false, false, to};
    };
    server->replies["/Quorlix.tar.xz"] = {200, bytes, "application/x-xz"};
    server->replies["/aqui"] = redirect(site + "/Quorlix.tar.xz");
    server->replies["/fuera"] = redirect(QByteArray::fromStdString(elsewhere.base()) + "/Quorlix.tar.xz");
    server->replies["/sin-cifrar"] = redirect(plain + "/Quorlix.tar.xz");
    server->replies["/dos-saltos"] = redirect(site + "/fuera");

    struct Case {
        const char* path;
        bool installs;
    };
    for (const Case& c : {Case{"/aqui", true}, Case{"/fuera", false}, Case{"/sin-cifrar", false},
                          Case{"/dos-saltos", false}}) {
        const auto outcome = install(server->base() + c.path);
        if (c.installs) {
            EXPECT_EQ(outcome, std::nullopt) << c.path;
        } else {
            EXPECT_EQ(outcome, "No se pudo descargar la actualización.") << c.path;
        }
    }
    EXPECT_TRUE(elsewhere.requests.empty()) << "a hop off the site was followed";
}

TEST_F(UpdateLimitsTest, ADownloadThatTricklesEndsByADeadlineOfItsSize) {
    // A byte every tenth of a second: never silent for the minute the idle limit waits.
    server->replies["/Quorlix.tar.xz"] = {
        200, QByteArray::fromStdString(archive), "application/x-xz", false, false, {}, 100};
    EXPECT_EQ(install(server->base() + "/Quorlix.tar.xz", {.grace = 0.5}),
              "No se pudo descargar la actualización.");
}

TEST_F(UpdateLimitsTest, ADownloadThatTricklesEndsByItsLowSpeedLimit) {
    // A terabyte announced gives the deadline hours; ten bytes a second are far below the
    // limit, which ends the download within its window.
    server->replies["/Quorlix.tar.xz"] = {
        200, QByteArray::fromStdString(archive), "application/x-xz", false, false, {}, 100};
    EXPECT_EQ(install(server->base() + "/Quorlix.tar.xz",
                      {.lowSpeedTime = 0.5, .declaredSize = std::int64_t{1} << 40}),
              "No se pudo descargar la actualización.");
}

}  // namespace
}  // namespace quorlix::testing
