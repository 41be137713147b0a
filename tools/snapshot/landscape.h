#pragma once
// A made-up desktop picture for the scenes: a warm sky over a dark hill, with a sun.

#include "platform/image.h"

namespace quorlix::snapshot {

platform::Image landscape(int width, int height);

}  // namespace quorlix::snapshot
