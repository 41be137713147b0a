#pragma once
// The self-updater's model: where the updater stands (`state`), when it last checked, and
// the running copy's version and build.
//
// `check()` fetches the version manifest and judges it; the application awaits it at launch
// and then announces an available version. The manifest is fetched by the updater's HTTP
// backend; until one is attached every check ends as a failed fetch. Main thread only.

#include "platform/clock.h"
#include "platform/published.h"

#include <functional>
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
    // An install has started and the file is being fetched (0...1).
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

    Published<State> state{this, Idle{}};
    // When the last check finished, successful or not.
    Published<std::optional<Date>> lastChecked{this, std::nullopt};

    // Fetches the manifest and sets `state`; calls `done` when the check has finished. Does
    // nothing (and calls `done` at once) while an update downloads or installs.
    void check(std::function<void()> done = {});
    // Opens the download page in the browser.
    void openDownload();

    // The running copy's version ("dev" when it has none) and build number ("0" when none).
    static std::string currentVersion();
    static std::string currentBuild();
};

}  // namespace quorlix
