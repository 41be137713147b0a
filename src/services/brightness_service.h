#pragma once
// The built-in display's brightness, and its changes, whatever made them.
//
// One process-wide instance, `BrightnessService::shared()`. The application sets `onChange`
// and calls `start()` once; the media keys check `isSettable()`, then step from a fresh
// `readLevel()` through `writeLevel()`.
//
// The display is reached through `platform::DisplayBrightness`. Without one the service
// behaves as on a machine without a dimmable display: `start()` publishes 0, nothing ever
// changes and the brightness keys are left to the system. Main thread only.

#include "platform/display_brightness.h"
#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace quorlix {

class BrightnessService final : public ObservableObject {
public:
    // On the installed platform's brightness interface, when `shared()` is first used.
    static BrightnessService& shared();
    // Drops the shared service so the next `shared()` builds a new one (tests only).
    static void resetShared();

    BrightnessService();
    // On `displays`, which must outlive the service; null: no dimmable display.
    explicit BrightnessService(platform::DisplayBrightness* displays);

    // The display's brightness, 0...1, as last read.
    Published<float> level{this, 0};
    // Called after `level` moved by more than `changeThreshold`.
    std::function<void(float level)> onChange;

    // The display chosen at start.
    std::uint32_t display() const { return display_; }

    // Picks the display, publishes its level without calling `onChange`, and registers for
    // changes.
    void start();

    // Whether the brightness keys may step the display: it can be read, written and followed,
    // and the reading at start succeeded (a level of 0 from a failed reading is no place to
    // step from).
    bool isSettable() const;
    // The display's brightness now, straight from the display; none when it cannot be read.
    std::optional<float> readLevel() const;
    // Sets the display's brightness (0...1); `level` follows when the change is reported.
    void writeLevel(float value);

    // A reading counts as a change only when it differs from `level` by more than this.
    static constexpr float changeThreshold = 0.001f;

private:
    void changed();
    std::uint32_t builtInDisplay() const;

    platform::DisplayBrightness* displays_ = nullptr;
    std::uint32_t display_ = 0;
    bool startReadSucceeded_ = false;
    Subscription registration_;
};

}  // namespace quorlix
