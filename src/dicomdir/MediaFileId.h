#pragma once
// Names by which a DICOMDIR on removable media refers to a copied study file.
#include <string>

namespace mirabel {

// The copy's path relative to the media root, as a DICOMDIR file id: "images", the components
// of the stored image path (either separator, leading, trailing and doubled ones ignored) and
// the file name, joined by single "\" and in upper case. For "\2004\0117\ST01" and "im1" the
// result is "IMAGES\2004\0117\ST01\IM1".
std::string MediaFileId(const std::string& imagePath, const std::string& fileName);

// True when a file id keeps the DICOM media rules: 1 to 8 components separated by "\", each
// of 1 to 8 characters from A-Z, 0-9 and "_". Ids that break them are still written (viewers
// read them); the transfer reports such a study once in the activity log.
bool IsConformantFileId(const std::string& fileId);

}  // namespace mirabel
