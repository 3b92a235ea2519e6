#include "config/DestinationValidation.h"

#include <vector>

#include "config/ArchiveDestination.h"

namespace mirabel {

namespace {

struct RequiredField {
    std::string ArchiveDestination::*field;
    const char* message;
};

std::vector<RequiredField> RequiredFieldsOf(const std::string& type) {
    using D = ArchiveDestination;
    if (type == kFtpType)
        return {{&D::m_strIpAddress, "FTP:IP cannot be blank"},
                {&D::m_strRootPath, "FTP:Root Path cannot be blank"},
                {&D::m_strUserName, "FTP:Username cannot be blank"},
                {&D::m_strPassword, "FTP:Password cannot be blank"}};
    if (type == kNfsType)
        return {{&D::m_strRootPath, "NFS: Root Path cannot be blank"},
                {&D::m_strLabel, "NFS: Archive Label cannot be blank"}};
    if (type == kServerType)
        return {{&D::m_strIpAddress, "Corvana Server:IP Address cannot be blank"},
                {&D::m_strRootPath, "Corvana Server:Root Path cannot be blank"},
                {&D::m_strUserName, "Corvana Server:FTP Username cannot be blank"},
                {&D::m_strPassword, "Corvana Server:FTP Password cannot be blank"},
                {&D::m_strPort, "Corvana Server:Port # cannot be blank"}};
    if (type == kRemovableType)
        return {{&D::m_strRootPath, "Removable Media: Root Path cannot be blank"},
                {&D::m_strMediaType, "Removable Media: Media Type cannot be blank"},
                {&D::m_strMediaSize, "Removable Media: Media Size cannot be blank"}};
    return {};
}

}  // namespace

std::string MissingFieldMessage(const ArchiveDestination& destination) {
    for (const RequiredField& required : RequiredFieldsOf(destination.m_strType))
        if ((destination.*required.field).empty()) return required.message;
    return {};
}

std::string DuplicateAddressMessage(const ArchiveDestination& destination) {
    if (destination.m_strType != kFtpType && destination.m_strType != kServerType) return {};
    ArchiveDestination candidate = destination;
    candidate.BuildId();
    return FindArchive(candidate.m_strId) ? kDuplicateAddressMessage : std::string();
}

std::string ValidateNewArchive(const ArchiveDestination& destination) {
    std::string message = MissingFieldMessage(destination);
    return message.empty() ? DuplicateAddressMessage(destination) : message;
}

std::string AddNewArchive(const ArchiveDestination& candidate) {
    std::string message = ValidateNewArchive(candidate);
    if (!message.empty()) return message;
    auto record = std::make_unique<ArchiveDestination>(candidate);
    record->BuildId();
    g_Archives.push_back(std::move(record));
    return {};
}

}  // namespace mirabel
