#include "platform/linux/x11_event_taps.h"

#include "platform/key_log.h"
#include "platform/linux/x11_connection.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace quorlix::platform {

namespace {

// The keysyms of the media keys.
struct MediaKeysym {
    xcb_keysym_t sym;
    int key;
    const char* name;
};
constexpr std::array<MediaKeysym, 5> mediaKeysyms{{
    {0x1008FF13, MediaKey::soundUp, "XF86AudioRaiseVolume"},
    {0x1008FF11, MediaKey::soundDown, "XF86AudioLowerVolume"},
    {0x1008FF12, MediaKey::mute, "XF86AudioMute"},
    {0x1008FF02, MediaKey::brightnessUp, "XF86MonBrightnessUp"},
    {0x1008FF03, MediaKey::brightnessDown, "XF86MonBrightnessDown"},
}};
constexpr xcb_keysym_t numLockKeysym = 0xFF7F;
constexpr xcb_keysym_t altLeftKeysym = 0xFFE9;
constexpr xcb_keysym_t altRightKeysym = 0xFFEA;

template <class T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
XcbReply<T> owned(T* reply) {
    return XcbReply<T>(reply, &std::free);
}

// Which keycodes carry the media keys, and which modifier bits are Alt and Num Lock.
struct Keymap {
    std::map<int, std::vector<xcb_keycode_t>> codes;  // by media key
    std::map<xcb_keycode_t, int> keys;                // media key by keycode
    std::uint16_t alt = XCB_MOD_MASK_1;
    std::uint16_t numLock = 0;

    static Keymap read(xcb_connection_t* c) {
        Keymap map;
        const xcb_setup_t* setup = xcb_get_setup(c);
        const int first = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        std::map<xcb_keysym_t, std::set<xcb_keycode_t>> bySym;
        if (const auto reply = owned(
                xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, first, count), nullptr))) {
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
            const int perCode = reply->keysyms_per_keycode;
            for (int i = 0; i < count * perCode && i < xcb_get_keyboard_mapping_keysyms_length(reply.get());
                 ++i)
                if (syms[i]) bySym[syms[i]].insert(xcb_keycode_t(first + i / perCode));
        }
        for (const auto& [sym, key, name] : mediaKeysyms) {
            for (const auto code : bySym[sym]) {
                map.codes[key].push_back(code);
                map.keys[code] = key;
            }
        }
        if (const auto reply =
                owned(xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr))) {
            const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
            const int perModifier = reply->keycodes_per_modifier;
            bool altFound = false;
            for (int modifier = 0; modifier < 8; ++modifier) {
                for (int j = 0; j < perModifier; ++j) {
                    const xcb_keycode_t code = codes[modifier * perModifier + j];
                    if (!code) continue;
                    const auto has = [&](xcb_keysym_t sym) { return bySym[sym].count(code) > 0; };
                    if (has(numLockKeysym)) map.numLock = std::uint16_t(1 << modifier);
                    if (!altFound && (has(altLeftKeysym) || has(altRightKeysym))) {
                        map.alt = std::uint16_t(1 << modifier);
                        altFound = true;
                    }
                }
            }
        }
        return map;
    }

    // Every modifier combination a key is grabbed with.
    std::vector<std::uint16_t> grabbedCombinations() const {
        std::set<std::uint16_t> combinations;
        for (const std::uint16_t base : {std::uint16_t(0), std::uint16_t(XCB_MOD_MASK_SHIFT), alt,
                                         std::uint16_t(XCB_MOD_MASK_SHIFT | alt)})
            for (const std::uint16_t lock : {std::uint16_t(0), std::uint16_t(XCB_MOD_MASK_LOCK), numLock,
                                             std::uint16_t(XCB_MOD_MASK_LOCK | numLock)})
                combinations.insert(base | lock);
        return {combinations.begin(), combinations.end()};
    }
};

class X11EventTap final : public EventTap {
public:
    // The tap's own connection: closing it with the tap releases every grab.
    X11EventTap(std::unique_ptr<X11Connection> connection, EventTaps::Handler handler)
        : x_(std::move(connection)),
          c_(x_->get()),
          root_(x_->root()),
          handler_(std::move(handler)),
          keymap_(Keymap::read(c_)) {
        for (const auto& media : mediaKeysyms) wanted_.insert(media.key);
    }

    // Takes every media key the keyboard has, each on its own, leaving those another program
    // holds to it; false when that program holds them all.
    bool grabAll() {
        bool refused = false;
        for (const int key : wanted_) refused = !grab(key) || refused;
        if (refused && grabbed_.empty()) return false;
        xcb_flush(c_);
        x_->setEventHandler([this](const xcb_generic_event_t& event) { handle(event); });
        x_->drainSoon();
        return true;
    }

    void setEnabled(bool enabled) override {
        enabled_ = enabled;
        apply();
    }

    void setWantedKeys(const std::vector<int>& keys) override {
        wanted_ = {keys.begin(), keys.end()};
        apply();
    }

private:
    bool grab(int key) {
        const auto codes = keymap_.codes.find(key);
        // A keyboard without the key has nothing to take.
        if (codes == keymap_.codes.end()) return true;
        std::vector<xcb_void_cookie_t> cookies;
        for (const auto code : codes->second)
            for (const auto modifiers : keymap_.grabbedCombinations())
                cookies.push_back(xcb_grab_key_checked(c_, 1, root_, modifiers, code, XCB_GRAB_MODE_ASYNC,
                                                       XCB_GRAB_MODE_ASYNC));
        bool granted = true;
        for (const auto cookie : cookies) {
            if (auto error = owned(xcb_request_check(c_, cookie))) granted = false;
        }
        if (granted) {
            grabbed_.insert(key);
        } else {
            ungrab(key);
            leftToAnother(key);
        }
        return granted;
    }

    // Says once per key that another program holds it.
    void leftToAnother(int key) {
        if (!heldElsewhere_.insert(key).second) return;
        for (const auto& media : mediaKeysyms)
            if (media.key == key)
                KeyLog::write(std::string(" tecla ") + media.name + " ocupada por otro programa");
    }

    void ungrab(int key) {
        const auto codes = keymap_.codes.find(key);
        if (codes != keymap_.codes.end())
            for (const auto code : codes->second) xcb_ungrab_key(c_, code, root_, XCB_MOD_MASK_ANY);
        grabbed_.erase(key);
    }

    // Grabs what is wanted while enabled and releases the rest. A key another program took in
    // the meantime is left to it.
    void apply() {
        const std::set<int> target = enabled_ ? wanted_ : std::set<int>{};
        for (const int key : std::set<int>(grabbed_))
            if (!target.count(key)) ungrab(key);
        for (const int key : target)
            if (!grabbed_.count(key)) grab(key);
        xcb_flush(c_);
        x_->drainSoon();
    }

    void handle(const xcb_generic_event_t& event) {
        switch (event.response_type & 0x7F) {
            case XCB_KEY_PRESS:
            case XCB_KEY_RELEASE: keyEvent(reinterpret_cast<const xcb_key_press_event_t&>(event)); break;
            case XCB_MAPPING_NOTIFY: {
                const auto& notify = reinterpret_cast<const xcb_mapping_notify_event_t&>(event);
                if (notify.request != XCB_MAPPING_POINTER) keymapChanged();
                break;
            }
            default: break;
        }
    }

    void keyEvent(const xcb_key_press_event_t& event) {
        const auto key = keymap_.keys.find(event.detail);
        if (key == keymap_.keys.end()) return;
        std::uint64_t flags = 0;
        if (event.state & XCB_MOD_MASK_SHIFT) flags |= TapEvent::shift;
        if (event.state & keymap_.alt) flags |= TapEvent::option;
        const bool down = (event.response_type & 0x7F) == XCB_KEY_PRESS;
        // A grabbed key has no one to be handed on to: an event the handler passes is dropped.
        handler_(TapEvent::mediaKey(key->second, down, flags));
    }

    // The keys moved to other keycodes, or the locks to other modifiers: grab them anew.
    void keymapChanged() {
        for (const int key : std::set<int>(grabbed_)) ungrab(key);
        keymap_ = Keymap::read(c_);
        apply();
    }

    std::unique_ptr<X11Connection> x_;
    xcb_connection_t* c_;
    xcb_window_t root_;
    EventTaps::Handler handler_;
    Keymap keymap_;
    std::set<int> wanted_;
    std::set<int> grabbed_;
    std::set<int> heldElsewhere_;
    bool enabled_ = true;
};

}  // namespace

X11EventTaps::X11EventTaps(std::string display, bool waylandSession)
    : display_(std::move(display)), wayland_(waylandSession) {}

bool X11EventTaps::runningOnWayland() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return (wayland && *wayland) || (session && std::string(session) == "wayland");
}

std::unique_ptr<EventTap> X11EventTaps::create(Handler handler) {
    if (wayland_) return nullptr;
    auto connection = X11Connection::open(display_);
    if (!connection) return nullptr;
    auto tap = std::make_unique<X11EventTap>(std::move(connection), std::move(handler));
    if (!tap->grabAll()) return nullptr;
    return tap;
}

}  // namespace quorlix::platform
