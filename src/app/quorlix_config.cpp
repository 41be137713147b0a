#include "app/quorlix_config.h"

namespace quorlix {

std::string QuorlixConfig::siteURL() { return "https://quorlix.halvik.com"; }
std::string QuorlixConfig::versionURL() { return siteURL() + "/version.json"; }
std::string QuorlixConfig::downloadURL() { return siteURL() + "/descargar.html"; }

}  // namespace quorlix
