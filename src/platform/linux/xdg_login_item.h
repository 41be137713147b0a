#pragma once
// Launch at login through an XDG autostart entry ($XDG_CONFIG_HOME/autostart/quorlix.desktop).

#include "platform/login_item.h"

#include <filesystem>

namespace quorlix::platform {

class XdgLoginItem final : public LoginItem {
public:
    // `executable` is what the entry starts; empty means the running program.
    explicit XdgLoginItem(std::filesystem::path executable = {});
    bool isEnabled() const override;
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

    static std::filesystem::path entryFile();

private:
    std::filesystem::path executable_;
};

}  // namespace quorlix::platform
