#pragma once
// Listeners filed by what they listen to, for the platform layers whose listeners are
// registered per device and property:
//
//     ListenerTable<std::pair<AudioDeviceID, AudioProperty>> listeners;
//     Subscription s = listeners.add({device, AudioProperty::volume}, [this] { reread(); });
//     listeners.notify({device, AudioProperty::volume});
//
// A listener ends with its subscription; subscriptions may outlive the table. Main thread only.

#include "platform/published.h"

#include <functional>
#include <map>

namespace quorlix::platform {

template <class Key>
class ListenerTable {
public:
    [[nodiscard]] Subscription add(const Key& key, std::function<void()> listener) {
        return signals_[key].connect(std::move(listener));
    }
    void notify(const Key& key) const {
        const auto it = signals_.find(key);
        if (it != signals_.end()) it->second.emit();
    }
    std::size_t count(const Key& key) const {
        const auto it = signals_.find(key);
        return it == signals_.end() ? 0 : it->second.subscriberCount();
    }

private:
    std::map<Key, Signal<>> signals_;
};

}  // namespace quorlix::platform
