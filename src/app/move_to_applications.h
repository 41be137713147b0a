#pragma once
// The offer to move the application to ~/Applications/Quorlix, where a user keeps the
// programs that live in a folder of their own (writable without root, and never the user's
// data folder).
//
// A copy started from anywhere else (a download folder, an unpacked archive, a USB stick) is
// offered the move once per launch. Moving copies the application folder to a hidden sibling
// of the destination and renames it into place; a copy already there goes to the trash only
// then, so a failed copy leaves it as it was. The moved copy is started as an instance of its
// own (this one stops taking later launches first, and takes them again if the start fails);
// once it runs, the launcher and autostart entries name it, the copy that ran goes to the
// trash unless it lies on a removable volume, and this one quits. A copy already there with
// the same or a newer version is kept and started instead, and the source left alone. Any
// failure shows an alert; the application keeps running and the offer stays open.
//
//     MoveToApplications mover(configuration);
//     if (mover.offerIfNeeded()) { /* no onboarding in this run */ }
//
// Main thread only. The copy blocks it.

#include "platform/alerts.h"
#include "platform/application_instance.h"
#include "platform/process_launcher.h"
#include "platform/trash.h"
#include "platform/window.h"
#include "services/lifetime.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {

class MoveToApplications {
public:
    static constexpr double windowWidth = 380;
    static constexpr const char* failureMessage = "No se pudo mover Quorlix";

    // What the offer's two buttons do; neither does anything once the mover is gone.
    struct Actions {
        // "Mover a Aplicaciones" (and Return).
        std::function<void()> onMove;
        // "Ahora no": closes the offer.
        std::function<void()> onLater;
    };
    // Makes the offer window around its view; none when no window can be made.
    using WindowFactory = std::function<std::unique_ptr<platform::Window>(Actions)>;

    struct Configuration {
        // The application folder this copy runs from.
        std::filesystem::path source;
        std::filesystem::path home;
        // Where removable volumes are mounted: a copy there is left in place.
        std::vector<std::filesystem::path> removableVolumes{"/media", "/run/media", "/mnt"};
        platform::ProcessLauncher* launcher = nullptr;
        platform::Trash* trash = nullptr;
        platform::Alerts* alerts = nullptr;
        platform::ApplicationInstance* instance = nullptr;
        // Ends the application once the moved copy runs.
        std::function<void()> terminate;
        WindowFactory makeWindow;
    };

    // The running folder and home, the installed platform, and a terminate action that quits
    // the application as SIGTERM does.
    static Configuration installedConfiguration(WindowFactory makeWindow);

    explicit MoveToApplications(Configuration configuration);

    // Shows the offer unless the running copy counts as installed: true when it was shown.
    bool offerIfNeeded();
    // None until offered, and after "Ahora no".
    platform::Window* window() const { return window_.get(); }

    // Whether the application folder `folder` (as started, links kept) counts as installed:
    // a development build (`resources/.devbuild`), a program that has no application folder
    // (a distribution's package), or a folder whose resolved path lies under
    // ~/Applications/, /opt/ or /usr/.
    static bool isInstalled(const std::filesystem::path& folder, const std::filesystem::path& home);
    // The place test alone, on a resolved path: plain, case-sensitive prefixes.
    static bool isInstalledPlace(const std::string& resolved, const std::filesystem::path& home);
    static std::filesystem::path destination(const std::filesystem::path& home);

private:
    void move();
    // Puts the complete `copy` in the place of `target`, whose copy goes to the trash once
    // the new one is there; on failure the old copy is back where it was, and why is told.
    std::optional<std::string> replace(const std::filesystem::path& target,
                                       const std::filesystem::path& copy);
    // Starts `folder`'s program as an instance of its own; once it runs, the entries name it,
    // the source goes to the trash when `trashSource`, and this copy quits.
    void launchAndQuit(const std::filesystem::path& folder, bool trashSource);
    bool onRemovableVolume(const std::filesystem::path& path) const;
    void fail(const std::string& why);

    Configuration configuration_;
    std::unique_ptr<platform::Window> window_;
    Lifetime lifetime_;
};

}  // namespace quorlix
