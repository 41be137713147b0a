#pragma once
// Letting go of a window from one of its own buttons ("Abrir Quorlix", "Ahora no"). Main
// thread only.

#include "platform/window.h"

#include <memory>

namespace quorlix {

// Closes `window` and leaves its holder empty. The window itself, with its views, goes on the
// next turn of the main queue: the press that asked for this must not be handled by a view
// that is already gone.
void closeAndRelease(std::unique_ptr<platform::Window>& window);

}  // namespace quorlix
