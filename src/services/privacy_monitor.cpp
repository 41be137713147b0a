#include "services/privacy_monitor.h"

#include "platform/main_queue.h"
#include "platform/platform.h"

#include <algorithm>

namespace quorlix {

PrivacyMonitor::PrivacyMonitor()
    : PrivacyMonitor(platform::installed().audio, platform::installed().cameras) {}

PrivacyMonitor::PrivacyMonitor(platform::AudioHardware* audio, platform::Cameras* cameras)
    : audio_(audio), cameras_(cameras) {}

void PrivacyMonitor::start() {
    if (audio_) {
        inputListener_ =
            audio_->listen(platform::AudioProperty::defaultInput, [this] { attachMicrophone(); });
        attachMicrophone();
    }
    if (cameras_) attachCameras();
}

void PrivacyMonitor::attachMicrophone() {
    micListener_.cancel();
    const auto device = audio_->defaultInputDevice();
    if (!device || *device == 0) {
        // The input is gone: nothing records through it any more, and nothing would tell us
        // when that ends, so it must not stay "in use".
        inputDevice_ = 0;
        if (micInUse) {
            micInUse = false;
            report();
        }
        return;
    }
    inputDevice_ = *device;
    micListener_ =
        audio_->listen(inputDevice_, platform::AudioProperty::running, [this] { refreshMicrophone(); });
    // Switching to an input that is already busy raises no alert.
    micInUse = microphoneRunning();
}

void PrivacyMonitor::attachCameras() {
    cameraListListener_ = cameras_->listenCameras([this] {
        watchNewCameras();
        refreshCamera();
    });
    watchNewCameras();
    cameraInUse = anyCameraRunning();
}

void PrivacyMonitor::watchNewCameras() {
    const auto list = cameras_->cameras();
    if (!list) return;
    for (const auto id : *list) {
        const bool watched = std::any_of(cameraListeners_.begin(), cameraListeners_.end(),
                                         [id](const WatchedCamera& c) { return c.id == id; });
        if (watched) continue;
        // The camera's own event may come before the process that took it shows up, so the
        // reading waits one more turn of the main queue.
        auto listener = cameras_->listenRunning(id, [this] {
            if (!cameraRefresh_)
                cameraRefresh_ = platform::MainQueue::shared().async([this] { refreshCamera(); });
        });
        if (listener.isActive()) cameraListeners_.push_back({id, std::move(listener)});
    }
}

void PrivacyMonitor::refreshMicrophone() {
    const bool running = microphoneRunning();
    if (running == micInUse) return;
    micInUse = running;
    report();
}

void PrivacyMonitor::refreshCamera() {
    const bool running = anyCameraRunning();
    if (running == cameraInUse) return;
    cameraInUse = running;
    report();
}

bool PrivacyMonitor::microphoneRunning() const {
    return inputDevice_ != 0 && audio_->isRunningSomewhere(inputDevice_).value_or(false);
}

bool PrivacyMonitor::anyCameraRunning() const {
    return std::any_of(cameraListeners_.begin(), cameraListeners_.end(), [this](const WatchedCamera& c) {
        return cameras_->isRunningSomewhere(c.id).value_or(false);
    });
}

void PrivacyMonitor::report() {
    if (onChange) onChange(micInUse, cameraInUse);
}

}  // namespace quorlix
