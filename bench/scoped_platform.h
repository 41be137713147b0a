#pragma once
// A benchmark that needs a platform of its own installs it with a `ScopedPlatform`, which puts
// back the one it found when the benchmark ends: the benchmarks run after it in the same
// program share the snapshot world's platform (its main queue above all).

#include "platform/platform.h"

namespace quorlix::bench {

class ScopedPlatform {
public:
    explicit ScopedPlatform(const platform::Platform& platform) : previous_(platform::installed()) {
        platform::install(platform);
    }
    ~ScopedPlatform() { platform::install(previous_); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    platform::Platform previous_;
};

}  // namespace quorlix::bench
