#pragma once
// Fresh random identifiers.

#include <string>

namespace quorlix::platform {

// A random (version 4) UUID in its usual upper-case text form.
std::string newUUID();

}  // namespace quorlix::platform
