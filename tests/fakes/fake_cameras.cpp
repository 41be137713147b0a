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

void FakeCameras::fire(CameraID id) {
    const auto it = listeners_.find(id);
    if (it != listeners_.end()) it->second->emit();
}

void FakeCameras::fireList() { listListeners_.emit(); }

std::size_t FakeCameras::listenerCount(CameraID id) const {
    const auto it = listeners_.find(id);
    return it == listeners_.end() ? 0 : it->second->subscriberCount();
}

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
    auto& signal = listeners_[id];
    if (!signal) signal = std::make_unique<Signal<>>();
    return signal->connect([changed = std::move(changed)] { changed(); });
}

Subscription FakeCameras::listenCameras(std::function<void()> changed) {
    return listListeners_.connect([changed = std::move(changed)] { changed(); });
}

}  // namespace quorlix::fakes
