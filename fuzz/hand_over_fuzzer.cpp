// The message a later launch hands to the running instance. Every address read from one is
// handed over again unchanged.

#include "fuzz_support.h"
#include "platform/linux/single_instance.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quorlix::platform::SingleInstance;
    const auto request = SingleInstance::parse(std::string(quorlix::fuzzing::text(data, size)));
    quorlix::fuzzing::check(size <= SingleInstance::maxMessage || (request.urls.empty() && !request.reopen),
                            "a message too long is refused whole");
    for (const auto& url : request.urls) {
        quorlix::fuzzing::check(
            SingleInstance::parse(SingleInstance::message({url})).urls == std::vector<std::string>{url},
            "an address read is handed over unchanged");
    }
    return 0;
}
