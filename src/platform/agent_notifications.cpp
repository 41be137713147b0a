#include "platform/agent_notifications.h"

namespace quorlix::platform {

std::string agentPostCommand(std::string_view name) {
    std::string command = "/usr/bin/dbus-send --session --type=signal ";
    command += agentObjectPath;
    command += ' ';
    command += name;
    return command;
}

}  // namespace quorlix::platform
