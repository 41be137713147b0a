#include "foundation/quorlix_config.h"

namespace quorlix {

std::string QuorlixConfig::siteURL() { return "https://quorlix.halvik.com"; }
std::string QuorlixConfig::versionURL() { return siteURL() + "/version.json"; }
std::string QuorlixConfig::downloadURL() { return siteURL() + "/descargar.html"; }
std::string QuorlixConfig::forecastHost() { return "https://api.open-meteo.com"; }
std::string QuorlixConfig::geocodingHost() { return "https://geocoding-api.open-meteo.com"; }

}  // namespace quorlix
