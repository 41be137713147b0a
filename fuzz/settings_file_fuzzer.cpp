// The settings file as found at start: loaded into the settings store, which then writes a
// change. Whatever the file held, the file written is a JSON object again.

#include "foundation/app_settings.h"
#include "fuzz_support.h"
#include "platform/atomic_file.h"
#include "platform/json_reader.h"
#include "platform/paths.h"
#include "platform/user_defaults.h"

#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    using platform::UserDefaults;
    fuzzing::fakePlatform();
    static const auto file = platform::Paths::defaultsFile(UserDefaults::applicationDomain);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << fuzzing::text(data, size);
    {
        UserDefaults defaults(UserDefaults::applicationDomain);
        AppSettings settings(defaults);
        settings.islandWidth = settings.islandWidth.get() + 1;
        settings.weatherCity = settings.weatherCity.get() + "ñ";
    }
    const auto written = platform::readFile(file);
    fuzzing::check(
        written && platform::readJSON(*written).value && platform::readJSON(*written).value->is_object(),
        "the settings file is written back as a JSON object");
    return 0;
}
