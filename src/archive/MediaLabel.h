#pragma once
// The label of the removable medium in the drive. A medium carries its label in the file
// "cvlabel.txt" in its root; a blank medium gets a new label that no medium had before (the
// label database registers every label given), confirmed or changed by the operator.
#include <string>

#include "config/ArchiveDestination.h"

namespace mirabel {

inline constexpr const char* kMediaLabelFile = "cvlabel.txt";

// The label of the medium at the destination's root. A labelled medium answers from its label
// file at once. For a blank medium the first unregistered label of the series
// base, base1, base2, ... (base: the destination's label, else its media type) is proposed;
// a label the operator enters that is registered already becomes the destination's label
// (the new base) and the series starts again from it. The chosen label is registered and
// written to the medium. Empty when the operator cancels, the label file is empty, or the
// label file cannot be written (the operator is told).
[[nodiscard]] std::string GetMediaLabel(ArchiveDestination& destination);

// The path of the label file on the destination's medium.
std::string MediaLabelFile(const ArchiveDestination& destination);

}  // namespace mirabel
