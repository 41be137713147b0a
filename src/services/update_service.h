#pragma once
// The self-updater's model: where the updater stands (`state`), when it last checked, the
// manifest of the last check that read one, and the running copy's version and build.
//
// `check()` fetches the site's "version.json" and judges it against the running version;
// `install()` downloads the archive the manifest names, proves it is the maker's (length,
// SHA-256, Ed25519 signature), unpacks and checks the application in it off the main thread,
// and hands the swap to a script that outlives the application, which then quits. Any
// failure writes one "update: <case>" line to the diagnostic log and leaves a Spanish message
// in `state`. `openDownload()` sends the user to the download page instead.
//
//     UpdateService updates;            // the installed platform, the maker's site and key
//     updates.check([&] { ... });
//     if (updates.canInstall()) updates.install();
//
// Main thread only. Work in flight holds the service weakly: once it is gone, late answers
// are dropped and the temporary files go with them.

#include "platform/clock.h"
#include "platform/http_client.h"
#include "platform/process_launcher.h"
#include "platform/published.h"
#include "platform/serial_queue.h"
#include "platform/workspace.h"
#include "services/lifetime.h"
#include "services/update_manifest.h"
#include "services/update_staging.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace quorlix {

class UpdateService final : public ObservableObject {
public:
    // The site offers a newer version.
    struct Available {
        std::string version;
        friend bool operator==(const Available&, const Available&) = default;
    };
    // An install has started and the file is being fetched. No progress is told on the way:
    // it stays 0 until the download ends, when the state moves on.
    struct Downloading {
        double progress = 0;
        friend bool operator==(const Downloading&, const Downloading&) = default;
    };
    // An install ended with an error; the message is shown to the user.
    struct InstallFailed {
        std::string message;
        friend bool operator==(const InstallFailed&, const InstallFailed&) = default;
    };
    // No check has run since start.
    struct Idle {
        friend bool operator==(const Idle&, const Idle&) = default;
    };
    struct Checking {
        friend bool operator==(const Checking&, const Checking&) = default;
    };
    // The last check found nothing newer.
    struct UpToDate {
        friend bool operator==(const UpToDate&, const UpToDate&) = default;
    };
    // The last check could not fetch or read the manifest.
    struct Failed {
        friend bool operator==(const Failed&, const Failed&) = default;
    };
    // The download is being verified, staged and swapped in.
    struct Installing {
        friend bool operator==(const Installing&, const Installing&) = default;
    };
    using State =
        std::variant<Available, Downloading, InstallFailed, Idle, Checking, UpToDate, Failed, Installing>;
    using Manifest = UpdateManifest;

    // The maker's Ed25519 public key (base64 of 32 bytes), under which every update must be
    // signed.
    static constexpr const char* signingKey = "m+D3AQsJS+u92yf5iYSOdk3oGCIKHa4a1btwxUMxAEQ=";
    // The cap on a download whose manifest gives no size.
    static constexpr std::uint64_t maxDownloadSize = 512ull * 1024 * 1024;
    // The cap on any download, whatever size its manifest gives.
    static constexpr std::uint64_t downloadCeiling = 1024ull * 1024 * 1024;

    struct Configuration {
        platform::HttpClient* http = nullptr;
        platform::Workspace* workspace = nullptr;
        platform::ProcessLauncher* launcher = nullptr;
        // Where archives are read, hashed and unpacked.
        platform::SerialQueue* worker = nullptr;
        // Scheme, host and port of the maker's site, no path.
        std::string siteURL;
        std::string publicKey;
        // The folder an install replaces.
        std::filesystem::path applicationFolder;
        // The process the swap waits for.
        std::int64_t processID = 0;
        // Ends the application once the swap has started.
        std::function<void()> terminate;
        // A download fails, as download tools do, when fewer than `lowSpeedLimit` bytes a
        // second came in over `lowSpeedTime` seconds.
        std::uint64_t lowSpeedLimit = 1024;
        double lowSpeedTime = 60;
        // And it must end within this many seconds plus its cap (the manifest's size) taken at
        // that low speed, or within `maxDownloadTime`, whichever is shorter, else it fails.
        double downloadGrace = 60;
        double maxDownloadTime = 3600;
    };

    // The installed platform, `QuorlixConfig::siteURL()`, `signingKey`, the running program's
    // folder and process, a worker thread of its own, and a terminate action that quits the
    // application as SIGTERM does.
    UpdateService();
    explicit UpdateService(Configuration configuration);
    ~UpdateService() override;

    Published<State> state{this, Idle{}};
    // When the last check finished, successful or not.
    Published<std::optional<Date>> lastChecked{this, std::nullopt};
    // The manifest of the last check that read one.
    Published<std::optional<Manifest>> manifest{this, std::nullopt};

    // Fetches the manifest and sets `state`; calls `done` when the check has finished. Does
    // nothing (and calls `done` at once) while an update downloads or installs; a check that
    // finishes during an install leaves `state` and `manifest` alone.
    void check(std::function<void()> done = {});
    // True while an update is available whose manifest carries a digest and a signature.
    bool canInstall() const;
    // Replaces the application with the available update, or opens the download page when it
    // cannot be installed in place. Does nothing while an install runs.
    void install();
    // Opens the download page in the browser.
    void openDownload();

    // The manifest's `url` when it lies on the site itself: "https" exactly, the site's host
    // and port, no user name or password. Nothing otherwise.
    std::optional<std::string> trustedDownloadURL() const;

    // The running copy's version ("dev" when it has none) and build number ("0" when none).
    static std::string currentVersion();
    static std::string currentBuild();

    // The messages `installFailed` carries, by cause.
    static std::string message(UpdateError error);

private:
    bool isInstalling() const;
    // The configured worker, else a thread of our own, started on first use.
    platform::SerialQueue& worker();
    void checked(const platform::HttpResult& result);
    void prepared(const UpdateManifest& manifest, const std::string& url, std::shared_ptr<WorkFolder> folder,
                  const std::optional<UpdateFailure>& refusal);
    void downloaded(const UpdateManifest& manifest, std::shared_ptr<WorkFolder> folder,
                    const std::filesystem::path& file, const platform::HttpDownloadResult& result);
    void staged(std::shared_ptr<WorkFolder> folder, const StageResult& result);
    // Logs the failure, then shows it.
    void fail(const UpdateFailure& failure, std::shared_ptr<WorkFolder> folder = nullptr);

    Configuration configuration_;
    std::unique_ptr<platform::SerialQueue> ownWorker_;
    // The download under way, aborted with the service.
    platform::HttpTask downloadTask_;
    Lifetime lifetime_;
};

}  // namespace quorlix
