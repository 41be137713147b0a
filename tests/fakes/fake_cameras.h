#pragma once
// Cameras that tests script: a list with a running flag each, failures on demand, and
// listeners that fire when the test says so.
//
//     cameras.add(1);
//     cameras.camera(1).running = true;
//     cameras.fire(1);

#include "platform/cameras.h"
#include "platform/listener_table.h"


namespace quorlix::fakes {

class FakeCameras final : public platform::Cameras {
public:
    using CameraID = platform::CameraID;

    struct Camera {
        bool running = false;
        bool failRead = false;
        bool failListen = false;
    };

    // Makes reading the camera list fail.
    bool failList = false;

    Camera& add(CameraID id, Camera camera);
    Camera& add(CameraID id);
    void remove(CameraID id);
    Camera& camera(CameraID id);

    // Calls the running listeners of one camera, or the listeners of the camera list.
    void fire(CameraID id);
    void fireList();
    std::size_t listenerCount(CameraID id) const;

    std::optional<std::vector<CameraID>> cameras() const override;
    std::optional<bool> isRunningSomewhere(CameraID id) const override;
    [[nodiscard]] Subscription listenRunning(CameraID id, std::function<void()> changed) override;
    [[nodiscard]] Subscription listenCameras(std::function<void()> changed) override;

private:
    const Camera* find(CameraID id) const;

    std::vector<std::pair<CameraID, Camera>> cameras_;
    platform::ListenerTable<CameraID> listeners_;
    Signal<> listListeners_;
};

}  // namespace quorlix::fakes
