#pragma once
// The built-in display's brightness, and its changes, whatever made them.
//
// One process-wide instance, `BrightnessService::shared()`. The application sets `onChange`
// and calls `start()` once; the media keys read `level` and step the brightness themselves.
//
// The display's brightness interface is attached by the brightness backend. Without one the
// service behaves as on a machine without a dimmable display: `start()` publishes 0 and
// nothing ever changes. Main thread only.

#include "platform/published.h"

#include <cstdint>
#include <functional>

namespace quorlix {

class BrightnessService final : public ObservableObject {
public:
    static BrightnessService& shared();

    // The display's brightness, 0...1, as last read.
    Published<float> level{this, 0};
    // Called after `level` moved by more than `changeThreshold`.
    std::function<void(float level)> onChange;

    // The display chosen at start.
    std::uint32_t display() const { return display_; }

    // Picks the display, publishes its level without calling `onChange`, and registers for
    // changes.
    void start();

    // A reading counts as a change only when it differs from `level` by more than this.
    static constexpr float changeThreshold = 0.001f;

private:
    std::uint32_t display_ = 0;
};

}  // namespace quorlix
