#pragma once
// Appending to a text file that may hold what not everyone should read (the logs name
// patients).
#include <filesystem>
#include <string_view>

#include "platform/SystemResult.h"

namespace mirabel {

// Appends `bytes` to the file, creating a missing one readable and writable by its owner only
// (an existing file keeps its mode).
SystemResult<> AppendToFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace mirabel
