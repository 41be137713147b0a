#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>
#include <cstdlib>
#include <system_error>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {
// An XDG variable counts only when it holds an absolute path (the base-directory rules say
// relative ones are to be ignored).
fs::path xdg(const char* variable, const fs::path& fallbackUnderHome) {
    if (const char* v = std::getenv(variable); v && *v == '/') return fs::path(v);
    return Paths::home() / fallbackUnderHome;
}
}  // namespace

fs::path Paths::home() {
    if (const char* h = std::getenv("HOME"); h && *h) return fs::path(h);
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return fs::path(pw->pw_dir);
    return fs::path("/tmp");
}

fs::path Paths::logsDirectory() { return xdg("XDG_STATE_HOME", ".local/state"); }
fs::path Paths::applicationSupportDirectory() { return xdg("XDG_DATA_HOME", ".local/share"); }
fs::path Paths::configDirectory() { return xdg("XDG_CONFIG_HOME", ".config"); }
fs::path Paths::cacheDirectory() { return xdg("XDG_CACHE_HOME", ".cache"); }
fs::path Paths::defaultsFile(const std::string& domain) { return configDirectory() / (domain + ".json"); }
fs::path Paths::autostartDirectory() { return configDirectory() / "autostart"; }

fs::path Paths::executable() {
    std::error_code ec;
    auto p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : p;
}

fs::path Paths::applicationIcon() { return resourcesDirectory() / "quorlix.png"; }

fs::path Paths::resourcesDirectory() {
    if (const char* r = std::getenv("QUORLIX_RESOURCES"); r && *r) return fs::path(r);
    std::error_code ec;
    const auto dir = executable().parent_path();
    if (fs::is_directory(dir / "resources", ec)) return dir / "resources";
    return dir.parent_path() / "share" / "quorlix";
}

}  // namespace quorlix::platform
