#include "settings/window_release.h"

#include "platform/main_queue.h"

namespace quorlix {

void closeAndRelease(std::unique_ptr<platform::Window>& window) {
    if (!window) return;
    window->close();
    std::shared_ptr<platform::Window> closed = std::move(window);
    platform::MainQueue::shared().post([closed] {});
}

}  // namespace quorlix
