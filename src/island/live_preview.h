#pragma once
// Overrides the settings window sets while the user drags an island-size control, so the
// island shows the new size before it is stored. One process-wide instance, main thread only.

#include "platform/published.h"

#include <optional>

namespace quorlix {

class LivePreview final : public ObservableObject {
public:
    static LivePreview& shared();

    Published<std::optional<double>> width{this, std::nullopt};
    Published<std::optional<double>> height{this, std::nullopt};
    Published<std::optional<double>> transparency{this, std::nullopt};

    // Any override is set.
    bool isActive() const { return width->has_value() || height->has_value() || transparency->has_value(); }
};

}  // namespace quorlix
