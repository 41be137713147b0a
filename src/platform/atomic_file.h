#pragma once
// Writing a file so that readers see either the old contents or the new, never a mix or an
// empty file: write a temporary file beside it, flush it to disk, rename it over the target
// and flush the folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix::platform {

// Creates missing parent folders. Returns an error text on failure (the target untouched).
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

// The whole file, or nothing when it is missing, not a regular file or cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path);

}  // namespace quorlix::platform
