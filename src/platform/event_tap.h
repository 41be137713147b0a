#pragma once
// A keyboard event tap: a hook that sees the media keys (volume, mute, brightness) before the
// rest of the system does, and may swallow them.
//
//     auto tap = taps.create([this](const TapEvent& e) { return handle(e); });  // true: swallow
//     if (!tap) ...;                                   // could not be created
//     tap->setWantedKeys({MediaKey::soundUp, ...});    // the keys the handler can act on now
//
// Each key press and release reaches the handler as a `TapEvent` record: a system-defined
// event of the auxiliary-control-buttons subtype, whose `data1` word holds the key code in
// bits 16 to 31, the key state in bits 8 to 15 (down or up) and the repeat flag in bits 0 to
// 7. The tap lives until its object is destroyed. The system may disable a tap that answers
// too slowly: the handler then receives one of the two "disabled" events and the tap stays
// installed, off, until `setEnabled(true)`.
//
// Some backends cannot hand an event on once they have taken it (an X11 key grab): they take
// only the keys last passed to `setWantedKeys` (initially every media key), so the others
// reach the system untouched. Handlers are called on the main thread. Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quorlix::platform {

// The media keys' codes in `data1`.
namespace MediaKey {
constexpr int soundUp = 0;
constexpr int soundDown = 1;
constexpr int brightnessUp = 2;
constexpr int brightnessDown = 3;
constexpr int mute = 7;
constexpr int play = 16;
constexpr int next = 17;
constexpr int previous = 18;
}  // namespace MediaKey

struct TapEvent {
    static constexpr std::uint32_t systemDefined = 14;
    static constexpr std::uint32_t disabledByTimeout = 0xFFFFFFFE;
    static constexpr std::uint32_t disabledByUserInput = 0xFFFFFFFF;
    static constexpr std::int16_t auxControlButtons = 8;
    static constexpr int keyDown = 0x0A;
    static constexpr int keyUp = 0x0B;
    // Modifier flags.
    static constexpr std::uint64_t shift = 0x20000;
    static constexpr std::uint64_t option = 0x80000;

    std::uint32_t type = systemDefined;
    std::int16_t subtype = auxControlButtons;
    std::int64_t data1 = 0;
    std::uint64_t modifierFlags = 0;

    // A media key pressed (`down`) or released.
    static TapEvent mediaKey(int key, bool down, std::uint64_t modifierFlags = 0, bool repeat = false) {
        return {systemDefined, auxControlButtons,
                (std::int64_t(key) << 16) | ((down ? keyDown : keyUp) << 8) | (repeat ? 1 : 0),
                modifierFlags};
    }
    static TapEvent disabled(std::uint32_t why) { return {why, 0, 0, 0}; }
};

class EventTap {
public:
    // Removes the tap.
    virtual ~EventTap() = default;
    virtual void setEnabled(bool enabled) = 0;
    // The media keys the handler can act on now; see above.
    virtual void setWantedKeys(const std::vector<int>& keys) = 0;
};

class EventTaps {
public:
    // Answers whether the event is swallowed.
    using Handler = std::function<bool(const TapEvent& event)>;

    virtual ~EventTaps() = default;
    // A new tap, enabled; null when it cannot be created.
    virtual std::unique_ptr<EventTap> create(Handler handler) = 0;
};

}  // namespace quorlix::platform
