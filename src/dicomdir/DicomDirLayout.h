#pragma once
// The bytes of a DICOMDIR file. Its records are linked by byte offsets (to the next record of
// the same entity and to the first record of the entity below), so they are laid out in one
// pass: each record's place follows from the sizes of the records before it.
#include <optional>
#include <string>

#include "dicomdir/DirectoryRecord.h"

namespace mirabel {

// The whole file: meta information, the data set with the records in depth-first order
// (explicit VR little endian, the record sequence and its items of undefined length, as DCMTK
// writes them). nullopt when an offset would not fit in 32 bits.
std::optional<std::string> EncodeDicomDir(const DicomDirContents& contents);

}  // namespace mirabel
