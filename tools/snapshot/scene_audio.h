#pragma once
// The audio outputs the scenes show: three devices, the built-in speakers the default.

#include "services/volume_service.h"

namespace quorlix::snapshot {

// A started volume service over the three devices; writes change nothing.
VolumeService& threeOutputs();

}  // namespace quorlix::snapshot
