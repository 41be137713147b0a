#include "platform/uuid.h"

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>

namespace quorlix::platform {

std::string newUUID() {
    // Shared by every thread that names a file.
    static std::mutex mutex;
    static std::mt19937_64 engine{std::random_device{}()};
    std::uint64_t high, low;
    {
        std::lock_guard lock(mutex);
        high = engine();
        low = engine();
    }
    high = (high & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
    low = (low & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
    char text[37];
    std::snprintf(text, sizeof text, "%08llX-%04llX-%04llX-%04llX-%012llX", (unsigned long long)(high >> 32),
                  (unsigned long long)((high >> 16) & 0xFFFF), (unsigned long long)(high & 0xFFFF),
                  (unsigned long long)(low >> 48), (unsigned long long)(low & 0xFFFFFFFFFFFFull));
    return text;
}

}  // namespace quorlix::platform
