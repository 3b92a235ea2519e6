#pragma once
// Archive destinations: the configured places studies are copied to, the process-wide list
// g_Archives (in "archives.p" order) and the selected one, g_pCurrentArchive.
#include <memory>
#include <string>
#include <vector>

namespace mirabel {

// The type lines of "archives.p"; any other type line is read as removable media.
inline constexpr const char* kFtpType = "FTP";
inline constexpr const char* kNfsType = "NFS";
inline constexpr const char* kServerType = "CORVA";
inline constexpr const char* kRemovableType = "REM";

// The DICOMDIR flag value that asks for a DICOMDIR on the medium.
inline constexpr const char* kSaveDicomDir = "SAVE";

struct ArchiveDestination {
    std::string m_strId;         // "FTP:%s" ip, "NFS:%s" label, "CORVA:%s" ip, "REM:%s" media type
    std::string m_strType;       // "FTP", "NFS", "CORVA", "REM" (or an unknown type kept as read)
    std::string m_strIpAddress;  // FTP, CORVA; may carry ":port" for FTP
    std::string m_strRootPath;   // all types
    std::string m_strUserName;   // FTP, CORVA
    std::string m_strPassword;   // FTP, CORVA (stored in plain text)
    std::string m_strMediaType;  // REM: MO, CD or DVD
    std::string m_strLabel;      // NFS archive label, REM media label
    std::string m_strMediaSize;  // REM, megabytes as text
    std::string m_strDicomDir;   // REM: "SAVE" writes a DICOMDIR; "NONE" or empty does not
    std::string m_strCurrentLabel;  // REM: label of the medium in use, set during a run only
    std::string m_strPort;          // CORVA, as text

    // Rebuilds m_strId from the type and its key field: the IP address for FTP and CORVA, the
    // label for NFS, the media type for REM and for any unknown type.
    void BuildId();
};

extern std::vector<std::unique_ptr<ArchiveDestination>> g_Archives;
extern ArchiveDestination* g_pCurrentArchive;

// The first destination whose id equals id exactly (case-sensitive), or null.
ArchiveDestination* FindArchive(const std::string& id);

// Empties g_Archives and clears g_pCurrentArchive (tests; start-up state).
void ResetArchives();

}  // namespace mirabel
