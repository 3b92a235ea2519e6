#include "config/ArchiveDestination.h"

#include <array>

namespace mirabel {

std::vector<std::unique_ptr<ArchiveDestination>> g_Archives;

namespace {

using D = ArchiveDestination;
using K = DestinationKind;

constexpr DestinationValue kFtpValues[] = {{&D::m_strIpAddress, "IDC_FTP_IP"},
                                           {&D::m_strRootPath, "IDC_FTP_ROOT_PATH"},
                                           {&D::m_strUserName, "IDC_FTP_USERNAME"},
                                           {&D::m_strPassword, "IDC_FTP_PASSWORD"}};
constexpr RequiredField kFtpRequired[] = {{&D::m_strIpAddress, "FTP:IP cannot be blank"},
                                          {&D::m_strRootPath, "FTP:Root Path cannot be blank"},
                                          {&D::m_strUserName, "FTP:Username cannot be blank"},
                                          {&D::m_strPassword, "FTP:Password cannot be blank"}};

constexpr DestinationValue kNfsValues[] = {{&D::m_strRootPath, "IDC_NFS_ROOT_PATH"},
                                           {&D::m_strLabel, "IDC_NFS_LABEL"}};
constexpr RequiredField kNfsRequired[] = {{&D::m_strRootPath, "NFS: Root Path cannot be blank"},
                                          {&D::m_strLabel, "NFS: Archive Label cannot be blank"}};

constexpr DestinationValue kServerValues[] = {{&D::m_strIpAddress, "IDC_CORVA_IP"},
                                              {&D::m_strPort, "IDC_CORVA_PORT"},
                                              {&D::m_strUserName, "IDC_CORVA_USERNAME"},
                                              {&D::m_strPassword, "IDC_CORVA_PASSWORD"},
                                              {&D::m_strRootPath, "IDC_CORVA_ROOT_PATH"}};
constexpr RequiredField kServerRequired[] = {
    {&D::m_strIpAddress, "Corvana Server:IP Address cannot be blank"},
    {&D::m_strRootPath, "Corvana Server:Root Path cannot be blank"},
    {&D::m_strUserName, "Corvana Server:FTP Username cannot be blank"},
    {&D::m_strPassword, "Corvana Server:FTP Password cannot be blank"},
    {&D::m_strPort, "Corvana Server:Port # cannot be blank"}};

constexpr DestinationValue kRemovableValues[] = {{&D::m_strMediaType, "IDC_REM_MEDIA_TYPE"},
                                                 {&D::m_strLabel, "IDC_REM_LABEL"},
                                                 {&D::m_strRootPath, "IDC_REM_ROOT_PATH"},
                                                 {&D::m_strMediaSize, "IDC_REM_MEDIA_SIZE"},
                                                 {&D::m_strDicomDir, nullptr}};
// The media label may be empty.
constexpr RequiredField kRemovableRequired[] = {
    {&D::m_strRootPath, "Removable Media: Root Path cannot be blank"},
    {&D::m_strMediaType, "Removable Media: Media Type cannot be blank"},
    {&D::m_strMediaSize, "Removable Media: Media Size cannot be blank"}};

// FTP and image servers are tested for a second destination at the same address (folders
// for one of the same label, see DuplicateAddressMessage).
constexpr std::array<DestinationKindRules, 4> kKnownKinds{{
    {K::Ftp, "FTP", "FTP:", &D::m_strIpAddress, kFtpValues, kFtpRequired, true, "IDC_TYPE_FTP"},
    {K::Nfs, "NFS", "NFS:", &D::m_strLabel, kNfsValues, kNfsRequired, false, "IDC_TYPE_NFS"},
    {K::Server, "CORVA", "CORVA:", &D::m_strIpAddress, kServerValues, kServerRequired, true,
     "IDC_TYPE_CORVA"},
    {K::Removable, "REM", "REM:", &D::m_strMediaType, kRemovableValues, kRemovableRequired, false,
     "IDC_TYPE_REM"},
}};

// Read, written and named as removable media; nothing is required of it, as it is never added.
constexpr DestinationKindRules kUnknownKind{.kind = K::Unknown,
                                            .typeLine = nullptr,
                                            .idPrefix = "REM:",
                                            .idField = &D::m_strMediaType,
                                            .values = kRemovableValues,
                                            .required = {},
                                            .uniqueId = false,
                                            .selector = nullptr};

}  // namespace

const DestinationKindRules& RulesOf(DestinationKind kind) {
    for (const DestinationKindRules& rules : kKnownKinds)
        if (rules.kind == kind) return rules;
    return kUnknownKind;
}

std::span<const DestinationKindRules> KnownDestinationKinds() {
    return kKnownKinds;
}

DestinationKind ParseDestinationKind(std::string_view typeLine) {
    for (const DestinationKindRules& rules : kKnownKinds)
        if (typeLine == rules.typeLine) return rules.kind;
    return DestinationKind::Unknown;
}

ArchiveDestination::ArchiveDestination(DestinationKind kind) {
    SetKind(kind);
}

void ArchiveDestination::SetTypeLine(std::string line) {
    m_kind = ParseDestinationKind(line);
    m_strType = std::move(line);
}

void ArchiveDestination::SetKind(DestinationKind kind) {
    const char* line = RulesOf(kind).typeLine;
    m_strType = line ? line : "";
    m_kind = kind;
}

void ArchiveDestination::BuildId() {
    const DestinationKindRules& rules = RulesOf(m_kind);
    m_strId = rules.idPrefix + this->*rules.idField;
}

ArchiveDestination* FindArchive(const std::string& id) {
    for (const auto& archive : g_Archives)
        if (archive->m_strId == id) return archive.get();
    return nullptr;
}

std::string ListEntryText(const ArchiveDestination& destination) {
    if (destination.m_strRootPath.empty()) return destination.m_strId;
    return destination.m_strId + "  -  " + destination.m_strRootPath;
}

void ResetArchives() {
    g_Archives.clear();
}

}  // namespace mirabel
