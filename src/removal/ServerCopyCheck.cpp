#include "removal/ServerCopyCheck.h"

#include "archive/FtpClient.h"

namespace mirabel {

Evidence CheckServerCopy(const ArchiveDestination& destination, const std::string& folder,
                         const std::vector<FileToGo>& files, const std::string& probe) {
    const std::string where = destination.m_strId + ":" + folder;
    FtpClient ftp(destination.m_strIpAddress, destination.m_strUserName, destination.m_strPassword);
    if (!ftp.Connect())
        return {EvidenceVerdict::NotReached,
                "the server of " + where + " cannot be reached: " + ftp.LastError(), ""};
    const std::optional<std::vector<RemoteEntry>> entries = ftp.ListFolder(folder);
    if (!entries)
        return {EvidenceVerdict::NotReached,
                "the copy " + where + " cannot be listed: " + ftp.LastError(), ""};
    std::vector<ListedCopyFile> listing;
    listing.reserve(entries->size());
    for (const RemoteEntry& entry : *entries)
        listing.push_back({entry.name, entry.size, entry.isFolder});
    return CheckListedCopy(listing, where, files, probe);
}

}  // namespace mirabel
