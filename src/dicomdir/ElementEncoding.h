#pragma once
// Elements encoded by the toolkit exactly as they lie in a DICOMDIR file: explicit VR little
// endian, sequences and items of undefined length. Used inside the writer only.
#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcitem.h"

#include <optional>
#include <string>

namespace mirabel {

// The elements of `item` whose tags lie between `from` and `to` (both excluded), in tag order;
// group lengths are left out, as the toolkit leaves them out of a DICOMDIR. nullopt when the
// toolkit cannot encode one of them.
std::optional<std::string> EncodeElementsBetween(DcmItem& item, const DcmTagKey& from,
                                                 const DcmTagKey& to);

// The file meta information with its preamble and "DICM".
std::optional<std::string> EncodeMetaHeader(DcmItem& metaInfo);

}  // namespace mirabel
