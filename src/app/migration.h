#pragma once

namespace quorlix {

// Carries the settings and the data folder of the maker's earlier application over, once.
// Runs before any service exists; never fails visibly.
void migrateFromTarsel();

}  // namespace quorlix
