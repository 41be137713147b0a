#include "foundation/quorlix_config.h"

namespace quorlix {

std::string QuorlixConfig::siteURL() { return "https://quorlix.halvik.com"; }
std::string QuorlixConfig::versionURL(const std::string& site) { return site + "/version.json"; }
std::string QuorlixConfig::downloadURL(const std::string& site) { return site + "/descargar.html"; }
std::string QuorlixConfig::forecastHost() { return "https://api.open-meteo.com"; }
std::string QuorlixConfig::geocodingHost() { return "https://geocoding-api.open-meteo.com"; }

}  // namespace quorlix
