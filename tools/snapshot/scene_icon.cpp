// The application icon for the scenes that show it.

#include "platform/linux/qt_image_decoder.h"
#include "platform/paths.h"
#include "settings/application_icon.h"
#include "snapshot/scene.h"

namespace quorlix::snapshot {

namespace {

// The icon the build draws: among the resources when they are named, else beside the tools
// in the build tree.
std::optional<platform::Image> buildIcon() {
    platform::QtImageDecoder decoder;
    if (auto icon = ApplicationIcon::load(platform::Paths::applicationIcon(), &decoder)) return icon;
    return ApplicationIcon::load(
        platform::Paths::executable().parent_path().parent_path() / "resources" / "quorlix.png", &decoder);
}

}  // namespace

void showBuildIcon() {
    static const bool shown = [] {
        ApplicationIcon::setImage(buildIcon());
        return true;
    }();
    (void)shown;
}

}  // namespace quorlix::snapshot
