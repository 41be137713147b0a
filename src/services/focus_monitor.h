#pragma once
// The focus (Do Not Disturb) mode: whether one is on, and which.
//
// `onChange` is called when a focus switches on or off: not at the first reading and not on a
// change of name alone. The application turns it into the focus alert.
//
// The focus sources are read by the focus backend; until one is attached no reading ever
// succeeds and `state` stays none. Main thread only.

#include "platform/published.h"

#include <functional>
#include <optional>
#include <string>

namespace quorlix {

class FocusMonitor final : public ObservableObject {
public:
    struct State {
        bool active = false;
        // Spanish display name of the mode; "No molestar" when off or not recognised.
        std::string name;

        friend bool operator==(const State&, const State&) = default;
    };

    // The last reading; none while no reading has succeeded.
    Published<std::optional<State>> state{this, std::nullopt};
    std::function<void(const State&)> onChange;

    // Takes the first reading (without calling back) and begins watching.
    void start();
};

}  // namespace quorlix
