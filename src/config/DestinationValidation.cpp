#include "config/DestinationValidation.h"

#include "config/ArchiveDestination.h"

namespace mirabel {

std::string MissingFieldMessage(const ArchiveDestination& destination) {
    for (const RequiredField& required : RulesOf(destination.Kind()).required)
        if ((destination.*required.field).empty()) return required.message;
    return {};
}

std::string DuplicateAddressMessage(const ArchiveDestination& destination) {
    if (!RulesOf(destination.Kind()).uniqueId) return {};
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
