#include "fakes/fake_media_keys.h"

namespace quorlix::fakes {

std::unique_ptr<platform::EventTap> FakeEventTaps::create(Handler handler) {
    if (failing) return nullptr;
    ++created;
    return std::make_unique<FakeEventTap>(*this, std::move(handler));
}

std::optional<bool> FakeEventTaps::send(const platform::TapEvent& event) {
    if (!tap || !tap->enabled) return std::nullopt;
    return tap->handler(event);
}

void FakeEventTaps::disable(std::uint32_t why) {
    if (!tap) return;
    tap->enabled = false;
    tap->handler(platform::TapEvent::disabled(why));
}

FakeEventTap::FakeEventTap(FakeEventTaps& owner, platform::EventTaps::Handler h)
    : handler(std::move(h)), owner_(owner) {
    owner_.tap = this;
}

FakeEventTap::~FakeEventTap() {
    if (owner_.tap == this) owner_.tap = nullptr;
}

std::optional<float> FakeDisplayBrightness::brightness(DisplayID display) const {
    const auto it = levels.find(display);
    return it == levels.end() ? std::nullopt : it->second;
}

bool FakeDisplayBrightness::setBrightness(DisplayID display, float value) {
    writes.push_back({display, value});
    return true;
}

}  // namespace quorlix::fakes
