#include "removal/ServerCopyCheck.h"

#include "archive/FtpClient.h"

namespace mirabel {

namespace {

std::string WithSlash(std::string folder) {
    for (char& c : folder)
        if (c == '\\') c = '/';
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

Evidence CheckServerCopy(const ArchiveDestination& destination, const std::string& folder,
                         const std::vector<FileToGo>& files) {
    const std::string where = destination.m_strId + ":" + folder;
    FtpClient ftp(destination.m_strIpAddress, destination.m_strUserName, destination.m_strPassword);
    if (!ftp.Connect())
        return {EvidenceVerdict::NotReached,
                "the server of " + where + " cannot be reached: " + ftp.LastError(), ""};
    std::vector<ListedCopyFile> listing;
    const std::string dir = WithSlash(folder);
    for (const FileToGo& file : files) {
        const std::optional<std::uint64_t> size = ftp.RemoteSize(dir + file.name);
        if (size) listing.push_back({file.name, *size, false});
    }
    return CheckListedCopy(listing, where, files);
}

}  // namespace mirabel
