#pragma once
// The simulator's state on disk, so that a restart keeps accounts and
// positions. A save never leaves a half-written file: it writes a sibling
// file, flushes it and renames it over the old one.

#include "JsonFields.h"

#include <optional>
#include <string>

namespace sim {

// Raises std::runtime_error when the file cannot be written.
void SaveStateFile(const std::string& path, const Json& state);
// Nothing when the file does not exist; raises JsonError when it is not JSON.
std::optional<Json> LoadStateFile(const std::string& path);

} // namespace sim
