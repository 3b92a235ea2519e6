#pragma once
// The checks of a new or edited destination before it enters the list. Each returns the
// message to show the operator, or an empty string when the destination passes.
#include <string>

namespace mirabel {

struct ArchiveDestination;

inline constexpr const char* kDuplicateAddressMessage =
    "An archive has already been added for that IP address!!";

// The first required field of the destination's kind that is empty, as its message, in the
// order of RulesOf(kind).required (FTP: IP, root path, user name, password; NFS: root path,
// label; CORVA: IP, root path, user name, password, port; REM: root path, media type, media
// size). An unknown type has no required fields.
std::string MissingFieldMessage(const ArchiveDestination& destination);

inline constexpr const char* kDuplicateLabelMessage =
    "An archive has already been added with that label!!";

// When a destination of g_Archives other than self already has the id this one would get: for
// the kinds with a unique id (FTP and CORVA) kDuplicateAddressMessage, for a folder
// kDuplicateLabelMessage. Removable media (named by their media type) are never duplicates.
std::string DuplicateAddressMessage(const ArchiveDestination& destination,
                                    const ArchiveDestination* self = nullptr);

// The archive column holds 255 characters: the destination's id, the medium's label and the
// study's folder on the destination (root, "images", the study's image path) must fit in it,
// or the database cuts the record of where a study went. The message when the root path
// leaves too little room for a study's image path, empty otherwise.
std::string ArchiveValueLengthMessage(const ArchiveDestination& destination);

// What adding a destination checks: missing fields first, then a duplicate address, then the
// room in the archive column.
std::string ValidateNewArchive(const ArchiveDestination& destination);

// Checks candidate as ValidateNewArchive does; when it passes, builds its id and appends it to
// g_Archives. The message that refused it, or empty when it was added.
std::string AddNewArchive(const ArchiveDestination& candidate);

}  // namespace mirabel
