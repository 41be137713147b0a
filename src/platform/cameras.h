#pragma once
// The machine's cameras and whether another process is using one.
//
// Cameras are named by a non-zero `CameraID` that stays the same while the process runs, also
// when the camera is unplugged and plugged in again. Reads may fail (`std::nullopt`).
// Listeners are called on the main thread and stay registered until their subscription is
// destroyed; an inactive subscription means the registration failed. Main thread only.

#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quorlix::platform {

using CameraID = std::uint32_t;

class Cameras {
public:
    virtual ~Cameras() = default;

    // The cameras present now.
    virtual std::optional<std::vector<CameraID>> cameras() const = 0;
    virtual std::optional<bool> isRunningSomewhere(CameraID camera) const = 0;

    // Calls `changed` when the camera may have been taken or released; read to find out.
    [[nodiscard]] virtual Subscription listenRunning(CameraID camera, std::function<void()> changed) = 0;
    // Calls `changed` when a camera was plugged in or removed.
    [[nodiscard]] virtual Subscription listenCameras(std::function<void()> changed) = 0;
};

}  // namespace quorlix::platform
