#pragma once
// Modal alerts as Qt message boxes: a warning with an OK button, run in a nested event loop
// (the main queue's work goes on meanwhile).

#include "platform/alerts.h"

namespace quorlix::platform {

class QtAlerts final : public Alerts {
public:
    void runModal(const Alert& alert) override;
};

}  // namespace quorlix::platform
