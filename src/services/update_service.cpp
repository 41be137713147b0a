#include "services/update_service.h"

#include "foundation/quorlix_config.h"
#include "platform/key_log.h"
#include "platform/platform.h"
#include "platform/uuid.h"
#include "services/application_folder.h"
#include "services/update_swap.h"

#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <csignal>

#ifndef QUORLIX_VERSION
#define QUORLIX_VERSION ""
#endif
#ifndef QUORLIX_BUILD_NUMBER
#define QUORLIX_BUILD_NUMBER ""
#endif

namespace quorlix {

namespace fs = std::filesystem;

namespace {

constexpr double checkTimeout = 60;
constexpr double downloadIdleTimeout = 60;

// What the origin rule looks at in an address.
struct Origin {
    std::string scheme;
    std::string host;  // lower case
    int port = 0;      // the scheme's own when none is written
    bool userInfo = false;
};

bool isHostCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.'; }

// The origin of an absolute http(s) address written in plain ASCII, or nothing. Characters
// that parsers read differently ("\", spaces, controls, "%" in the host) refuse the address,
// so the host judged here is the host the download reaches.
std::optional<Origin> originOf(std::string_view url) {
    for (const char c : url) {
        if (c <= 0x20 || c >= 0x7F || std::string_view("\\\"<>^`{|}").find(c) != std::string_view::npos) {
            return std::nullopt;
        }
    }
    const auto separator = url.find("://");
    if (separator == std::string_view::npos) return std::nullopt;
    Origin origin;
    origin.scheme = std::string(url.substr(0, separator));
    std::string lower = origin.scheme;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (lower != "https" && lower != "http") return std::nullopt;

    const std::string_view rest = url.substr(separator + 3);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        origin.userInfo = true;
        authority = authority.substr(at + 1);
    }
    std::string_view host = authority, port;
    if (const auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
    }
    if (host.empty() || !std::all_of(host.begin(), host.end(), isHostCharacter)) return std::nullopt;
    origin.host = std::string(host);
    std::transform(origin.host.begin(), origin.host.end(), origin.host.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    origin.port = port.empty() ? (lower == "https" ? 443 : 80) : std::stoi(std::string(port));
    if (origin.port < 1 || origin.port > 65535) return std::nullopt;
    return origin;
}

// Whether `url` lies on the site: "https" exactly, the site's host and port, no user name or
// password.
bool isOnSite(const std::string& url, const std::string& siteURL) {
    const auto site = originOf(siteURL);
    const auto address = originOf(url);
    if (!site || !address || address->scheme != "https" || address->userInfo) return false;
    return address->host == site->host && address->port == site->port;
}

UpdateService::Configuration installedConfiguration() {
    const platform::Platform& p = platform::installed();
    UpdateService::Configuration c;
    c.http = p.httpClient;
    c.workspace = p.workspace;
    c.launcher = p.processLauncher;
    c.siteURL = QuorlixConfig::siteURL();
    c.publicKey = UpdateService::signingKey;
    c.applicationFolder = ApplicationFolder::running();
    c.processID = ::getpid();
    // The application quits on SIGTERM as it does from its menu.
    c.terminate = [] { ::kill(::getpid(), SIGTERM); };
    return c;
}

// The outcome of the checks made before a download.
struct Prepared {
    std::optional<UpdateFailure> refusal;
    std::shared_ptr<WorkFolder> folder;
};

}  // namespace

UpdateService::UpdateService() : UpdateService(installedConfiguration()) {}

UpdateService::UpdateService(Configuration configuration) : configuration_(std::move(configuration)) {}

UpdateService::~UpdateService() = default;

platform::SerialQueue& UpdateService::worker() {
    if (!configuration_.worker) {
        ownWorker_ = std::make_unique<platform::ThreadSerialQueue>();
        configuration_.worker = ownWorker_.get();
    }
    return *configuration_.worker;
}

bool UpdateService::isInstalling() const {
    return std::holds_alternative<Downloading>(state.get()) ||
           std::holds_alternative<Installing>(state.get());
}

void UpdateService::check(std::function<void()> done) {
    if (isInstalling()) {
        if (done) done();
        return;
    }
    state = Checking{};
    if (!configuration_.http) {
        checked(platform::HttpResult::failure("sin cliente HTTP"));
        if (done) done();
        return;
    }
    platform::HttpRequest request;
    request.url = QuorlixConfig::versionURL(configuration_.siteURL);
    request.headers = {{"Cache-Control", "no-cache"}};
    request.timeout = checkTimeout;
    // Each check writes its own outcome, so a later one does not cancel an earlier one.
    configuration_.http
        ->get(std::move(request), lifetime_.guard([this, done](platform::HttpResult result) {
            checked(result);
            if (done) done();
        }))
        .detach();
}

void UpdateService::checked(const platform::HttpResult& result) {
    std::optional<Manifest> decoded;
    if (result.response && result.response->statusCode == 200)
        decoded = Manifest::decode(result.response->body);
    const Date now = platform::Clock::shared().date();
    // An install that started meanwhile owns the state and the manifest it was started with.
    if (isInstalling()) {
        lastChecked = now;
        return;
    }
    if (!decoded) {
        state = Failed{};
        lastChecked = now;
        return;
    }
    const std::string version = decoded->version;
    manifest = std::move(decoded);
    if (compareVersions(version, currentVersion()) > 0) {
        state = Available{version};
    } else {
        state = UpToDate{};
    }
    lastChecked = now;
}

bool UpdateService::canInstall() const {
    const auto& m = manifest.get();
    return std::holds_alternative<Available>(state.get()) && m && m->sha256 && m->signature;
}

std::optional<std::string> UpdateService::trustedDownloadURL() const {
    const auto& m = manifest.get();
    if (!m || !m->url || !isOnSite(*m->url, configuration_.siteURL)) return std::nullopt;
    return m->url;
}

void UpdateService::openDownload() {
    // Always the page: the archive's own address may have just failed its checks.
    if (configuration_.workspace)
        configuration_.workspace->openURL(QuorlixConfig::downloadURL(configuration_.siteURL));
}

void UpdateService::install() {
    if (isInstalling()) return;
    const auto url = trustedDownloadURL();
    if (!canInstall() || !url) {
        openDownload();
        return;
    }
    const Manifest offered = *manifest.get();
    state = Downloading{0};
    const fs::path folder = configuration_.applicationFolder;
    worker().run<Prepared>(
        [folder, version = offered.version]() -> Prepared {
            if (auto refusal = installRefusal(folder, version)) return {std::move(refusal), nullptr};
            std::string error;
            auto work = WorkFolder::create(error);
            if (!work) return {UpdateFailure{UpdateError::other, error}, nullptr};
            return {std::nullopt, std::move(work)};
        },
        lifetime_.guard([this, offered, url = *url](std::optional<Prepared> p) {
            if (!p) return fail({UpdateError::other, "sin respuesta"});
            prepared(offered, url, p->folder, p->refusal);
        }));
}

void UpdateService::prepared(const UpdateManifest& offered, const std::string& url,
                             std::shared_ptr<WorkFolder> folder,
                             const std::optional<UpdateFailure>& refusal) {
    if (refusal) return fail(*refusal, folder);
    if (!configuration_.http) return fail({UpdateError::other, "sin cliente HTTP"}, folder);
    platform::HttpDownloadRequest request;
    request.url = url;
    request.destination = folder->path() / ("Quorlix-update-" + platform::newUUID() + ".tar");
    request.idleTimeout = downloadIdleTimeout;
    // The manifest's size narrows the cap, never lifts it past the ceiling.
    request.maxSize =
        std::min(offered.size ? static_cast<std::uint64_t>(*offered.size) : maxDownloadSize, downloadCeiling);
    // However it trickles in, the whole download ends in the time its size takes at the low
    // speed it may never fall below, and within the hour: a size of terabytes gives no days.
    request.deadline = configuration_.maxDownloadTime;
    if (configuration_.lowSpeedLimit > 0)
        request.deadline =
            std::min(request.deadline,
                     configuration_.downloadGrace + static_cast<double>(request.maxSize) /
                                                        static_cast<double>(configuration_.lowSpeedLimit));
    request.lowSpeedLimit = configuration_.lowSpeedLimit;
    request.lowSpeedTime = configuration_.lowSpeedTime;
    // Every hop of a redirect keeps to the site, as the first address does.
    request.allowRedirect = [site = configuration_.siteURL](const std::string& next) {
        return isOnSite(next, site);
    };
    const fs::path file = request.destination;
    downloadTask_ = configuration_.http->download(
        std::move(request),
        lifetime_.guard([this, offered, folder, file](platform::HttpDownloadResult result) {
            downloaded(offered, folder, file, result);
        }));
}

void UpdateService::downloaded(const UpdateManifest& offered, std::shared_ptr<WorkFolder> folder,
                               const fs::path& file, const platform::HttpDownloadResult& result) {
    // A body longer than the manifest's size is a length that differs from it.
    if (result.tooLarge) return fail({UpdateError::badFile, result.error}, folder);
    if (!result.error.empty()) return fail({UpdateError::other, result.error}, folder);
    if (result.statusCode != 200) return fail({UpdateError::badFile, {}}, folder);
    state = Installing{};
    const StageRequest request{file, folder->path(), offered, configuration_.publicKey,
                               configuration_.applicationFolder};
    worker().run<StageResult>([request] { return stageUpdate(request); },
                              lifetime_.guard([this, folder](std::optional<StageResult> result) {
                                  if (!result) return fail({UpdateError::other, "sin respuesta"}, folder);
                                  staged(folder, *result);
                              }));
}

void UpdateService::staged(std::shared_ptr<WorkFolder> folder, const StageResult& result) {
    if (result.failure) return fail(*result.failure, folder);
    if (!configuration_.launcher) return fail({UpdateError::other, "no se puede iniciar el cambio"}, folder);
    const SwapPlan plan{configuration_.processID, configuration_.applicationFolder, result.staged,
                        folder->path()};
    if (const auto error = configuration_.launcher->launchDetached(Swap::shell, Swap::arguments(plan))) {
        return fail({UpdateError::other, *error}, folder);
    }
    // The swap removes it once it is done.
    folder->keep();
    if (configuration_.terminate) configuration_.terminate();
}

void UpdateService::fail(const UpdateFailure& failure, std::shared_ptr<WorkFolder> folder) {
    KeyLog::write("update: " + failure.description());
    // Removing a tree reads folders: not on the main thread.
    if (folder) worker().async([folder] { folder->remove(); });
    if (failure.error == UpdateError::notNewer) {
        state = UpToDate{};
    } else {
        state = InstallFailed{message(failure.error)};
    }
}

std::string UpdateService::message(UpdateError error) {
    switch (error) {
        case UpdateError::badSignature: return "La descarga no tiene la firma de Quorlix. No se instaló.";
        case UpdateError::badFile: return "La descarga llegó incompleta. Intenta de nuevo.";
        case UpdateError::notWritable:
            return "No se puede escribir en Aplicaciones. Descárgala desde la página.";
        case UpdateError::mount: return "No se pudo abrir la descarga. Intenta de nuevo.";
        case UpdateError::notNewer:
        case UpdateError::other: break;
    }
    return "No se pudo descargar la actualización.";
}

std::string UpdateService::currentVersion() {
    const std::string version = QUORLIX_VERSION;
    return version.empty() ? "dev" : version;
}

std::string UpdateService::currentBuild() {
    const std::string build = QUORLIX_BUILD_NUMBER;
    return build.empty() ? "0" : build;
}

}  // namespace quorlix
