#pragma once
// Whether any process uses a microphone or a camera.
//
// `onChange` receives both flags after either one changed; the first reading at `start()` is
// published without it. The application turns it into the privacy alert.
//
// The microphone is the default input device of `platform::AudioHardware`; the cameras come
// from `platform::Cameras`, including cameras plugged in after the start. Without either
// backend its flag stays false, as on a machine with neither. Main thread only.

#include "platform/audio_hardware.h"
#include "platform/cameras.h"
#include "platform/published.h"
#include "platform/work_item.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace quorlix {

class PrivacyMonitor final : public ObservableObject {
public:
    // On the installed platform's audio hardware and cameras.
    PrivacyMonitor();
    // Both must outlive the monitor; either may be null.
    PrivacyMonitor(platform::AudioHardware* audio, platform::Cameras* cameras);

    Published<bool> micInUse{this, false};
    Published<bool> cameraInUse{this, false};
    std::function<void(bool micInUse, bool cameraInUse)> onChange;

    // Publishes the current flags without calling back, then watches for changes.
    void start();

private:
    struct WatchedCamera {
        platform::CameraID id;
        Subscription listener;
    };

    void attachMicrophone();
    void attachCameras();
    void watchNewCameras();
    void refreshMicrophone();
    void refreshCamera();
    bool microphoneRunning() const;
    bool anyCameraRunning() const;
    void report();

    platform::AudioHardware* audio_ = nullptr;
    platform::Cameras* cameras_ = nullptr;
    std::uint32_t inputDevice_ = 0;
    Subscription inputListener_;
    Subscription micListener_;
    Subscription cameraListListener_;
    std::vector<WatchedCamera> cameraListeners_;
    platform::WorkItem cameraRefresh_;
};

}  // namespace quorlix
