#include "fakes/fake_cameras.h"

#include <stdexcept>
#include <string>

namespace quorlix::fakes {

FakeCameras::Camera& FakeCameras::add(CameraID id, Camera camera) {
    cameras_.emplace_back(id, camera);
    return cameras_.back().second;
}

FakeCameras::Camera& FakeCameras::add(CameraID id) { return add(id, Camera{}); }

void FakeCameras::remove(CameraID id) {
    std::erase_if(cameras_, [id](const auto& entry) { return entry.first == id; });
}

FakeCameras::Camera& FakeCameras::camera(CameraID id) {
    for (auto& [key, camera] : cameras_)
        if (key == id) return camera;
    throw std::out_of_range("no fake camera " + std::to_string(id));
}

const FakeCameras::Camera* FakeCameras::find(CameraID id) const {
    for (const auto& [key, camera] : cameras_)
        if (key == id) return &camera;
    return nullptr;
}

void FakeCameras::fire(CameraID id) { listeners_.notify(id); }

void FakeCameras::fireList() { listListeners_.emit(); }

std::size_t FakeCameras::listenerCount(CameraID id) const { return listeners_.count(id); }

std::optional<std::vector<platform::CameraID>> FakeCameras::cameras() const {
    if (failList) return std::nullopt;
    std::vector<CameraID> ids;
    for (const auto& entry : cameras_) ids.push_back(entry.first);
    return ids;
}

std::optional<bool> FakeCameras::isRunningSomewhere(CameraID id) const {
    const Camera* c = find(id);
    if (!c || c->failRead) return std::nullopt;
    return c->running;
}

Subscription FakeCameras::listenRunning(CameraID id, std::function<void()> changed) {
    const Camera* c = find(id);
    if (!c || c->failListen) return {};
    return listeners_.add(id, std::move(changed));
}

Subscription FakeCameras::listenCameras(std::function<void()> changed) {
    return listListeners_.connect(std::move(changed));
}

}  // namespace quorlix::fakes
