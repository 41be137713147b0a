#pragma once
// Fixed addresses on the maker's site, used by the updater.

#include <string>

namespace quorlix {

struct QuorlixConfig {
    // Scheme and host only, no path.
    static std::string siteURL();
    // The update manifest.
    static std::string versionURL();
    // The download page opened in the browser.
    static std::string downloadURL();
};

}  // namespace quorlix
