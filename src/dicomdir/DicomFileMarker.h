#pragma once
// The mark of a DICOM file: "DICM" at bytes 128 to 131, after the preamble.
#include <filesystem>

namespace mirabel {

// True when a regular file is at the path (not a link, nor a FIFO or device, which are never
// opened) and it holds the mark.
[[nodiscard]] bool HasDicomFileMarker(const std::filesystem::path& file);

}  // namespace mirabel
