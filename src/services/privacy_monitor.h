#pragma once
// Whether any process uses a microphone or a camera.
//
// `onChange` receives both flags after either one changed; the first reading at `start()` is
// published without it. The application turns it into the privacy alert.
//
// The default input device and the cameras are watched by the audio and camera backends;
// until they are attached both flags stay false, as on a machine with neither. Main thread
// only.

#include "platform/published.h"

#include <functional>

namespace quorlix {

class PrivacyMonitor final : public ObservableObject {
public:
    Published<bool> micInUse{this, false};
    Published<bool> cameraInUse{this, false};
    std::function<void(bool micInUse, bool cameraInUse)> onChange;

    // Publishes the current flags without calling back, then watches for changes.
    void start();
};

}  // namespace quorlix
