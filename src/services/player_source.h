#pragma once
// The players' application icons.

#include "foundation/player_source.h"
#include "platform/image.h"

#include <optional>

namespace quorlix {

namespace platform {
class Workspace;
}

// The icon of the player's application, or nothing when it is not installed. The first form
// asks the installed platform's workspace.
std::optional<platform::Image> appIcon(PlayerSource source);
std::optional<platform::Image> appIcon(PlayerSource source, const platform::Workspace* workspace);

}  // namespace quorlix
