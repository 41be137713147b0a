#include "settings/controlled_window.h"

#include "platform/main_queue.h"

namespace quorlix {

void closeAndRelease(std::unique_ptr<ControlledWindow>& window) {
    if (!window) return;
    window->close();
    std::shared_ptr<ControlledWindow> closed = std::move(window);
    platform::MainQueue::shared().post([closed] {});
}

}  // namespace quorlix
