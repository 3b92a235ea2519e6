#pragma once
// The evidence for a copy on an FTP server or another image server, asked of the server over
// one connection with the destination's login.
#include <string>
#include <vector>

#include "config/ArchiveDestination.h"
#include "removal/CopyEvidence.h"

namespace mirabel {

// Checks the copy folder on the destination's server (NotReached when the server cannot be
// reached or the folder cannot be read).
// A listing that shows `probe` (a file just made in the study folder) is of the study folder
// itself, served by the server.
Evidence CheckServerCopy(const ArchiveDestination& destination, const std::string& folder,
                         const std::vector<FileToGo>& files, const std::string& probe = "");

}  // namespace mirabel
