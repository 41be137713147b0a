#pragma once
// The media keys' platform layers, scripted: an event tap that tests feed key events through,
// a trust the test grants, and displays whose brightness the test sets and announces.
//
//     auto swallowed = taps.send(TapEvent::mediaKey(MediaKey::soundUp, true));
//     trust.trusted = true;
//     displays.levels[1] = 0.4f;
//     displays.fire(1);
//
// Brightness writes change nothing: like the real display, a write shows up only when the
// test changes the level and fires the listener.

#include "platform/accessibility_trust.h"
#include "platform/display_brightness.h"
#include "platform/event_tap.h"
#include "platform/listener_table.h"

#include <map>
#include <optional>
#include <vector>

namespace quorlix::fakes {

class FakeEventTap;

class FakeEventTaps final : public platform::EventTaps {
public:
    // When set, no tap can be created.
    bool failing = false;
    int created = 0;
    // The tap alive now, if any.
    FakeEventTap* tap = nullptr;

    std::unique_ptr<platform::EventTap> create(Handler handler) override;

    // Runs `event` through the live, enabled tap: whether it was swallowed; none when no tap
    // saw it.
    std::optional<bool> send(const platform::TapEvent& event);
    // The system turns the tap off and tells it why.
    void disable(std::uint32_t why);
};

class FakeEventTap final : public platform::EventTap {
public:
    FakeEventTap(FakeEventTaps& owner, platform::EventTaps::Handler handler);
    ~FakeEventTap() override;

    bool enabled = true;
    std::vector<int> wantedKeys{platform::MediaKey::soundUp, platform::MediaKey::soundDown,
                                platform::MediaKey::brightnessUp, platform::MediaKey::brightnessDown,
                                platform::MediaKey::mute};
    platform::EventTaps::Handler handler;

    void setEnabled(bool value) override { enabled = value; }
    void setWantedKeys(const std::vector<int>& keys) override { wantedKeys = keys; }

private:
    FakeEventTaps& owner_;
};

class FakeAccessibilityTrust final : public platform::AccessibilityTrust {
public:
    bool trusted = false;
    bool grantable = true;
    int prompts = 0;

    bool isProcessTrusted() const override { return trusted; }
    bool canBeGranted() const override { return grantable; }
    bool requestTrust() override {
        ++prompts;
        return trusted;
    }
};

class FakeDisplayBrightness final : public platform::DisplayBrightness {
public:
    using DisplayID = platform::DisplayID;
    struct Write {
        DisplayID display;
        float value;
        friend bool operator==(const Write&, const Write&) = default;
    };

    // Filled in the body: GCC 12 at -O3 takes the initializer lists' elements for
    // uninitialised (a false -Wmaybe-uninitialized).
    FakeDisplayBrightness() {
        list.push_back({1, true});
        levels[1] = 0.5f;
    }

    std::vector<Display> list;
    DisplayID main = 1;
    // None: the display cannot be read.
    std::map<DisplayID, std::optional<float>> levels;
    bool readable = true;
    bool writable = true;
    bool notifying = true;
    std::vector<Write> writes;

    void fire(DisplayID display) { listeners_.notify(display); }
    std::size_t listenerCount(DisplayID display) const { return listeners_.count(display); }

    std::vector<Display> displays() const override { return list; }
    DisplayID mainDisplay() const override { return main; }
    bool canRead() const override { return readable; }
    bool canWrite() const override { return writable; }
    bool canNotify() const override { return notifying; }
    std::optional<float> brightness(DisplayID display) const override;
    bool setBrightness(DisplayID display, float value) override;
    [[nodiscard]] Subscription listen(DisplayID display, std::function<void()> changed) override {
        return listeners_.add(display, std::move(changed));
    }

private:
    platform::ListenerTable<DisplayID> listeners_;
};

}  // namespace quorlix::fakes
