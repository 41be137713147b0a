// Scenes of the settings window on its Updates pane, one per thing the updater may be doing:
// never checked, checking, up to date (with the time of the check), an update available
// with its notes, one that only the download page can give, installing, and a failed install.

#include "foundation/app_settings.h"
#include "platform/linux/qt_image_decoder.h"
#include "platform/paths.h"
#include "services/date_text.h"
#include "services/update_service.h"
#include "settings/application_icon.h"
#include "settings/settings_view.h"
#include "settings/user_profile.h"
#include "settings/wallpaper.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

namespace quorlix::snapshot {

namespace {

using namespace ui;

const Color windowBehind = Color::sRGB(0.16, 0.2, 0.26);

// The icon the build draws: among the resources when they are named, else beside the tools
// in the build tree.
std::optional<platform::Image> buildIcon() {
    platform::QtImageDecoder decoder;
    if (auto icon = ApplicationIcon::load(platform::Paths::applicationIcon(), &decoder)) return icon;
    return ApplicationIcon::load(
        platform::Paths::executable().parent_path().parent_path() / "resources" / "quorlix.png", &decoder);
}

UpdateService& service() {
    static UpdateService updates{UpdateService::Configuration{}};
    return updates;
}

UpdateManifest offered(bool signedUpdate) {
    UpdateManifest m;
    m.version = "1.4.0";
    m.url = "https://quorlix.halvik.com/descargas/Quorlix-1.4.0.tar.xz";
    m.notes =
        "La isla muestra el clima de mañana, los audífonos avisan cuando les queda poca batería y la "
        "letra de las canciones se sincroniza mejor.";
    if (signedUpdate) {
        m.sha256 = std::string(64, 'a');
        m.signature = "c2lnbmF0dXJl";
    }
    return m;
}

// The window on the Updates pane with the updater standing where the scene puts it.
View window(UpdateService::State state, std::optional<UpdateManifest> manifest, bool checked) {
    static SettingsSelection selection;
    static const bool iconSet = [] {
        ApplicationIcon::setImage(buildIcon());
        return true;
    }();
    (void)iconSet;
    Wallpaper::setImage(std::nullopt);
    selection.section = SettingsSection::updates;
    UpdateService& updates = service();
    updates.state = std::move(state);
    updates.manifest = std::move(manifest);
    updates.lastChecked =
        checked ? parseDate("2027-01-15T09:41", "yyyy-MM-dd'T'HH:mm") : std::optional<Date>(std::nullopt);
    return View(SettingsView{&selection})
        .environmentObject(AppSettings::shared())
        .environmentObject(updates)
        .environmentObject(UserProfile::shared());
}

const Scene neverChecked{"updates-never-checked",
                         {620, 720},
                         [] { return window(UpdateService::Idle{}, std::nullopt, false); },
                         windowBehind};
const Scene checking{"updates-checking",
                     {620, 720},
                     [] { return window(UpdateService::Checking{}, std::nullopt, false); },
                     windowBehind};
const Scene upToDate{"updates-up-to-date",
                     {620, 720},
                     [] { return window(UpdateService::UpToDate{}, std::nullopt, true); },
                     windowBehind};
const Scene available{"updates-available",
                      {620, 720},
                      [] { return window(UpdateService::Available{"1.4.0"}, offered(true), true); },
                      windowBehind};
const Scene unsignedUpdate{"updates-available-unsigned",
                           {620, 720},
                           [] { return window(UpdateService::Available{"1.4.0"}, offered(false), true); },
                           windowBehind};
const Scene installing{"updates-installing",
                       {620, 720},
                       [] { return window(UpdateService::Installing{}, offered(true), true); },
                       windowBehind};
const Scene installFailed{
    "updates-install-failed",
    {620, 720},
    [] {
        return window(UpdateService::InstallFailed{UpdateService::message(UpdateError::badSignature)},
                      offered(true), true);
    },
    windowBehind};

}  // namespace

}  // namespace quorlix::snapshot
