#include "services/update_service.h"

#ifndef QUORLIX_VERSION
#define QUORLIX_VERSION ""
#endif
#ifndef QUORLIX_BUILD_NUMBER
#define QUORLIX_BUILD_NUMBER ""
#endif

namespace quorlix {

void UpdateService::check(std::function<void()> done) {
    const bool busy =
        std::holds_alternative<Downloading>(state.get()) || std::holds_alternative<Installing>(state.get());
    if (!busy) {
        state = Checking{};
        // No HTTP client is attached yet, so the manifest cannot be fetched: the check ends
        // as a failed fetch does.
        state = Failed{};
        lastChecked = platform::Clock::shared().date();
    }
    if (done) done();
}

// Opening addresses in the browser belongs to the updater's backend.
void UpdateService::openDownload() {}

std::string UpdateService::currentVersion() {
    const std::string version = QUORLIX_VERSION;
    return version.empty() ? "dev" : version;
}

std::string UpdateService::currentBuild() {
    const std::string build = QUORLIX_BUILD_NUMBER;
    return build.empty() ? "0" : build;
}

}  // namespace quorlix
