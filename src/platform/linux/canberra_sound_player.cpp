#include "platform/linux/canberra_sound_player.h"

#include "platform/paths.h"
#include "platform/wav.h"

#include <canberra.h>

#include <cmath>
#include <cstdio>

namespace quorlix::platform {

class CanberraSoundPlayer::Context {
public:
    ~Context() {
        if (context_) ca_context_destroy(context_);
    }
    ca_context* get() {
        if (opened_) return context_;
        opened_ = true;
        if (ca_context_create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            return nullptr;
        }
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Quorlix", CA_PROP_APPLICATION_ID,
                                "com.halvik.quorlix", nullptr);
        if (ca_context_open(context_) != CA_SUCCESS) {
            ca_context_destroy(context_);
            context_ = nullptr;
        }
        return context_;
    }

private:
    ca_context* context_ = nullptr;
    bool opened_ = false;
};

namespace {
class CanberraSound final : public Sound {
public:
    CanberraSound(std::shared_ptr<CanberraSoundPlayer::Context> context, std::uint32_t id,
                  std::filesystem::path file, double duration)
        : context_(std::move(context)), id_(id), file_(std::move(file)), duration_(duration) {}

    double duration() const override { return duration_; }
    void setVolume(double volume) override { volume_ = volume; }
    void play() override {
        ca_context* context = context_->get();
        if (!context) return;
        // Canberra takes a gain in decibels; silence is far below anything audible.
        const double db = volume_ > 0.0001 ? 20.0 * std::log10(volume_) : -96.0;
        char gain[32];
        std::snprintf(gain, sizeof gain, "%.2f", db);
        ca_context_play(context, id_, CA_PROP_MEDIA_FILENAME, file_.c_str(), CA_PROP_CANBERRA_VOLUME, gain,
                        CA_PROP_CANBERRA_CACHE_CONTROL, "volatile", nullptr);
    }

private:
    std::shared_ptr<CanberraSoundPlayer::Context> context_;
    std::uint32_t id_;
    std::filesystem::path file_;
    double duration_;
    double volume_ = 1;
};
}  // namespace

CanberraSoundPlayer::CanberraSoundPlayer() : context_(std::make_shared<Context>()) {}

CanberraSoundPlayer::~CanberraSoundPlayer() = default;

std::shared_ptr<Sound> CanberraSoundPlayer::soundFromFile(const std::filesystem::path& file) {
    const auto info = readWavInfo(file);
    if (!info) return nullptr;
    return std::make_shared<CanberraSound>(context_, nextId_++, file, info->duration());
}

std::shared_ptr<Sound> CanberraSoundPlayer::systemSound(const std::string& name) {
    return soundFromFile(Paths::resourcesDirectory() / "SystemSounds" / (name + ".wav"));
}

}  // namespace quorlix::platform
