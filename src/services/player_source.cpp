#include "services/player_source.h"

#include "platform/platform.h"

namespace quorlix {

std::optional<platform::Image> appIcon(PlayerSource source) {
    return appIcon(source, platform::installed().workspace);
}

std::optional<platform::Image> appIcon(PlayerSource source, const platform::Workspace* workspace) {
    if (!workspace) return std::nullopt;
    const auto location = workspace->applicationLocation(std::string(rawValue(source)));
    if (!location) return std::nullopt;
    return workspace->icon(*location);
}

}  // namespace quorlix
