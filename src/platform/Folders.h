#pragma once
// Creating folders, through the platform's system calls.
#include <filesystem>

#include "platform/SystemResult.h"

namespace mirabel {

// Creates the folder (the usual mode, 0777 less the umask); its parent must exist. A folder
// already there (or a link to one: the caller decides about links) is no error.
SystemResult<> CreateFolder(const std::filesystem::path& folder);

// Creates every missing folder along the path, as `mkdir -p`.
SystemResult<> CreateFolders(const std::filesystem::path& folder);

}  // namespace mirabel
