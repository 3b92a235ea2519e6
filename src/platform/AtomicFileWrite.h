#pragma once
// Replacing a file's contents so that readers and a crash see either the old or the new
// contents, never a mixture: the bytes go to a temporary file in the same folder, which is
// flushed to disk and then renamed over the file.
#include <filesystem>
#include <string_view>

#include "platform/SystemResult.h"

namespace mirabel {

// Done when the file now holds exactly `bytes`; on an error the file is as it was and no
// temporary file is left behind. The folder must exist. An existing regular file keeps its
// permissions; a new one gets `newFilePermissions` (by default readable by its owner only). A
// link at the path is replaced by the file, and what it pointed at is left alone.
SystemResult<> WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                                   unsigned newFilePermissions = 0600);

}  // namespace mirabel
