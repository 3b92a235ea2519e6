#pragma once
// Reading a medium's DICOMDIR into memory, once per medium and run.
#include <filesystem>

#include "dicomdir/DirectoryRecord.h"

namespace mirabel {

// Reads the DICOMDIR at `path` into `contents`: its records with their keys, and the elements
// around them, to be written back as they are. Without a file the DICOMDIR is a new, empty
// one. Returns 0, or the toolkit's error code when the file is not a DICOM file or cannot be
// read, or when it holds multi-referenced records, which this writer does not keep up to date;
// such a DICOMDIR is left as it is.
[[nodiscard]] int ReadDicomDir(const std::filesystem::path& path, DicomDirContents& contents);

}  // namespace mirabel
