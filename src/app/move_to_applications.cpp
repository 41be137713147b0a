#include "app/move_to_applications.h"

#include "platform/key_log.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/uuid.h"
#include "services/application_folder.h"
#include "services/update_manifest.h"
#include "settings/window_release.h"

#include <csignal>

#include <unistd.h>

namespace quorlix {

namespace fs = std::filesystem;

namespace {

// `path` with links and dots resolved as far as it exists.
fs::path resolved(const fs::path& path) {
    std::error_code ec;
    const fs::path out = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : out;
}

// `folder` as a prefix: its path with exactly one slash at the end.
std::string asPrefix(const fs::path& folder) {
    std::string s = folder.string();
    while (!s.empty() && s.back() == '/') s.pop_back();
    return s + "/";
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// Copies the folder `from` to the new folder `to`: files with their permissions, symbolic
// links as links, folders writable by their owner (so the copy can be filled, and later
// replaced by an update). On failure, the item that could not be copied and why.
std::optional<std::string> copyFolder(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const auto failure = [&ec](const fs::path& item) { return item.string() + ": " + ec.message(); };
    const auto makeFolder = [&ec](const fs::path& source, const fs::path& target) {
        const fs::perms mode = fs::status(source, ec).permissions();
        if (!ec) fs::create_directory(target, ec);
        if (!ec) fs::permissions(target, mode | fs::perms::owner_all, ec);
    };
    makeFolder(from, to);
    if (ec) return failure(from);
    fs::recursive_directory_iterator it(from, ec);
    if (ec) return failure(from);
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        const fs::path& source = it->path();
        const fs::path target = to / source.lexically_relative(from);
        const fs::file_status status = it->symlink_status(ec);
        if (ec) return failure(source);
        if (fs::is_symlink(status)) {
            fs::copy_symlink(source, target, ec);
        } else if (fs::is_directory(status)) {
            makeFolder(source, target);
        } else if (fs::is_regular_file(status)) {
            fs::copy_file(source, target, ec);
        } else {
            ec = std::make_error_code(std::errc::not_supported);
        }
        if (ec) return failure(source);
    }
    if (ec) return failure(from);
    return std::nullopt;
}

// Removes a copy of ours that will not be used.
void discard(const fs::path& copy) {
    std::error_code ec;
    fs::remove_all(copy, ec);
    if (ec) KeyLog::write("move: could not remove " + copy.string() + ": " + ec.message());
}

}  // namespace

MoveToApplications::Configuration MoveToApplications::installedConfiguration(WindowFactory makeWindow) {
    const auto& p = platform::installed();
    Configuration c;
    c.source = ApplicationFolder::running();
    c.home = platform::Paths::home();
    c.launcher = p.processLauncher;
    c.trash = p.trash;
    c.alerts = p.alerts;
    c.instance = p.applicationInstance;
    c.terminate = [] { ::kill(::getpid(), SIGTERM); };
    c.makeWindow = std::move(makeWindow);
    return c;
}

MoveToApplications::MoveToApplications(Configuration configuration)
    : configuration_(std::move(configuration)) {}

fs::path MoveToApplications::destination(const fs::path& home) { return home / "Applications" / "Quorlix"; }

bool MoveToApplications::isInstalledPlace(const std::string& resolved, const fs::path& home) {
    return startsWith(resolved, asPrefix(home / "Applications")) || startsWith(resolved, "/opt/") ||
           startsWith(resolved, "/usr/");
}

bool MoveToApplications::isInstalled(const fs::path& folder, const fs::path& home) {
    if (ApplicationFolder::isDevelopmentBuild(folder)) return true;
    if (!AppInfo::read(folder)) return true;
    // A home reached through a link counts by either of its names.
    const std::string place = resolved(folder).string();
    return isInstalledPlace(place, home) || isInstalledPlace(place, resolved(home));
}

bool MoveToApplications::offerIfNeeded() {
    if (isInstalled(configuration_.source, configuration_.home) || !configuration_.makeWindow) return false;
    Actions actions{lifetime_.guard([this] { move(); }),
                    lifetime_.guard([this] { closeAndRelease(window_); })};
    auto window = configuration_.makeWindow(std::move(actions));
    if (!window) return false;
    window_ = std::move(window);
    window_->makeKeyAndOrderFront();
    return true;
}

void MoveToApplications::move() {
    const fs::path& source = configuration_.source;
    const fs::path target = destination(configuration_.home);

    // The same or a newer version already there is the one to run.
    const auto ours = AppInfo::read(source);
    const auto there = AppInfo::read(target);
    if (ours && there && there->identifier == ours->identifier &&
        compareVersions(there->version, ours->version) >= 0)
        return launchAndQuit(target, false);

    const fs::path parent = target.parent_path();
    std::error_code ec;
    fs::create_directories(parent, ec);
    if (ec) return fail(parent.string() + ": " + ec.message());
    // A destination inside the source would be copied into itself without end.
    if (startsWith(asPrefix(resolved(parent)), asPrefix(resolved(source))))
        return fail(parent.string() + " está dentro de " + source.string());

    const fs::path staging = parent / (".Quorlix.new-" + platform::newUUID());
    if (const auto error = copyFolder(source, staging)) {
        discard(staging);
        return fail(*error);
    }
    if (const auto error = replace(target, staging)) {
        discard(staging);
        return fail(*error);
    }
    launchAndQuit(target, !onRemovableVolume(source));
}

std::optional<std::string> MoveToApplications::replace(const fs::path& target, const fs::path& copy) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec))) {
        fs::rename(copy, target, ec);
        return ec ? std::optional(target.string() + ": " + ec.message()) : std::nullopt;
    }
    if (!configuration_.trash) return "no hay papelera";
    // The installed copy steps aside under its own name, so the trash shows it as itself,
    // and goes to the trash only once the new one is in its place: there is always a copy.
    const fs::path aside = target.parent_path() / (".Quorlix.old-" + platform::newUUID());
    const fs::path old = aside / target.filename();
    fs::create_directory(aside, ec);
    if (!ec) fs::rename(target, old, ec);
    if (ec) {
        discard(aside);
        return target.string() + ": " + ec.message();
    }
    const auto putBack = [&] {
        std::error_code back;
        fs::rename(old, target, back);
        if (back) {
            KeyLog::write("move: " + old.string() + " stays: " + back.message());
            return;
        }
        discard(aside);
    };
    fs::rename(copy, target, ec);
    if (ec) {
        putBack();
        return target.string() + ": " + ec.message();
    }
    if (auto error = configuration_.trash->moveToTrash(old)) {
        // The new copy makes way again for the one the user had.
        fs::rename(target, copy, ec);
        if (ec) {
            KeyLog::write("move: " + old.string() + " stays: " + ec.message());
            return error;
        }
        putBack();
        return error;
    }
    discard(aside);
    return std::nullopt;
}

void MoveToApplications::launchAndQuit(const fs::path& folder, bool trashSource) {
    const fs::path program = folder / ApplicationFolder::programFile;
    platform::ApplicationInstance* instance = configuration_.instance;
    if (!configuration_.launcher) return fail("no se pueden abrir programas");
    // Else the new copy would hand itself over to this one and end.
    if (instance) instance->stopTakingLaunches();
    if (const auto error = configuration_.launcher->launchDetached(program.string(), {})) {
        if (instance) instance->takeLaunches();
        return fail(*error);
    }
    if (instance) {
        if (const auto error = instance->registerProgram(program)) KeyLog::write("move: " + *error);
    }
    if (trashSource && configuration_.trash) {
        if (const auto error = configuration_.trash->moveToTrash(configuration_.source))
            KeyLog::write("move: " + configuration_.source.string() + " stays: " + *error);
    }
    if (configuration_.terminate) configuration_.terminate();
}

bool MoveToApplications::onRemovableVolume(const fs::path& path) const {
    const std::string place = resolved(path).string();
    for (const auto& volume : configuration_.removableVolumes)
        if (startsWith(place, asPrefix(volume))) return true;
    return false;
}

void MoveToApplications::fail(const std::string& why) {
    const platform::Alert alert{failureMessage, "Arrástrala tú a la carpeta Aplicaciones. (" + why + ")"};
    KeyLog::write("move: " + why);
    if (configuration_.alerts) configuration_.alerts->runModal(alert);
}

}  // namespace quorlix
