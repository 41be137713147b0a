#pragma once
// Fixed addresses: the maker's site, used by the updater, and the weather services.

#include <string>

namespace quorlix {

struct QuorlixConfig {
    // Scheme and host only, no path.
    static std::string siteURL();
    // The update manifest, and the download page opened in the browser, on `site` (the maker's
    // own, or the one the updater was given).
    static std::string versionURL(const std::string& site = siteURL());
    static std::string downloadURL(const std::string& site = siteURL());

    // The weather forecast ("/v1/forecast") and place search ("/v1/search") services:
    // scheme and host only, no path.
    static std::string forecastHost();
    static std::string geocodingHost();
};

}  // namespace quorlix
