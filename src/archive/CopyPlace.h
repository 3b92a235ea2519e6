#pragma once
// Where a study's archive value says its copy lies. Study removal, audits and restore all start
// from the value the archive run wrote into the study's row.
#include <optional>
#include <string>

#include "config/ArchiveDestination.h"

namespace mirabel {

// The destination (from the destination list) whose id, followed by ":", begins the value (the
// longest such id), and the rest: for removable media "<label>:<folder>".
struct CopyPlace {
    const ArchiveDestination* destination = nullptr;
    std::string label;   // removable media only
    std::string folder;  // as written in the value
};

// nullopt when no destination of the list begins the value (the destination was removed).
std::optional<CopyPlace> FindCopyPlace(const std::string& archiveValue);

}  // namespace mirabel
