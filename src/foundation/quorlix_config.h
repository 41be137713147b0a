#pragma once
// Fixed addresses: the maker's site, used by the updater, and the weather services.

#include <string>

namespace quorlix {

struct QuorlixConfig {
    // Scheme and host only, no path.
    static std::string siteURL();
    // The update manifest.
    static std::string versionURL();
    // The download page opened in the browser.
    static std::string downloadURL();

    // The weather forecast ("/v1/forecast") and place search ("/v1/search") services:
    // scheme and host only, no path.
    static std::string forecastHost();
    static std::string geocodingHost();
};

}  // namespace quorlix
