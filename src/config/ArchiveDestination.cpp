#include "config/ArchiveDestination.h"

namespace mirabel {

std::vector<std::unique_ptr<ArchiveDestination>> g_Archives;
ArchiveDestination* g_pCurrentArchive = nullptr;

void ArchiveDestination::BuildId() {
    if (m_strType == kFtpType)
        m_strId = "FTP:" + m_strIpAddress;
    else if (m_strType == kNfsType)
        m_strId = "NFS:" + m_strLabel;
    else if (m_strType == kServerType)
        m_strId = "CORVA:" + m_strIpAddress;
    else  // removable media, and any unknown type, which is read and kept as removable media
        m_strId = "REM:" + m_strMediaType;
}

ArchiveDestination* FindArchive(const std::string& id) {
    for (const auto& archive : g_Archives)
        if (archive->m_strId == id) return archive.get();
    return nullptr;
}

void ResetArchives() {
    g_pCurrentArchive = nullptr;
    g_Archives.clear();
}

}  // namespace mirabel
