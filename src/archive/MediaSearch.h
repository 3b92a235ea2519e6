#pragma once
// Finding the removable medium that carries a label, before a study archived on it is checked
// and deleted. A medium's label is the first line of "cvlabel.txt" in its root.
#include <string>
#include <vector>

namespace mirabel {

// The roots where a medium may be, in this order: the root paths of the removable-media
// destinations in the destination list (list order), then the mount points under /media,
// /run/media and /mnt. On Linux the roots are kept as they are (no lower-casing: paths are
// case-sensitive here) and there is no floppy drive to leave out.
std::vector<std::string> LogicalDriveRoots();

// The first root whose "cvlabel.txt" says label exactly. When none does, the operator is asked
// to insert the medium ("Archive Verify"), and the roots are searched again after each OK;
// empty when the operator cancels.
std::string FindMediaByLabel(const std::string& label);

// "Please enter media labeled <label>.\n\nClick OK when this is done."
std::string MediumPromptText(const std::string& label);

}  // namespace mirabel
