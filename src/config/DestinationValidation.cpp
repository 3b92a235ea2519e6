#include "config/DestinationValidation.h"

#include "config/ArchiveDestination.h"

namespace mirabel {

std::string MissingFieldMessage(const ArchiveDestination& destination) {
    for (const RequiredField& required : RulesOf(destination.Kind()).required)
        if ((destination.*required.field).empty()) return required.message;
    return {};
}

std::string DuplicateAddressMessage(const ArchiveDestination& destination,
                                    const ArchiveDestination* self) {
    ArchiveDestination candidate = destination;
    candidate.BuildId();
    const ArchiveDestination* holder = FindArchive(candidate.m_strId);
    if (!holder || holder == self) return {};
    if (RulesOf(destination.Kind()).uniqueId) return kDuplicateAddressMessage;
    // A folder is named by its label alone: a second folder of that label could never become
    // the current archive (the first one of the id is found), and would share its settings.
    if (destination.Kind() == DestinationKind::Nfs) return kDuplicateLabelMessage;
    return {};
}

namespace {

constexpr std::size_t kArchiveColumnWidth = 255;
// "images", its separators and a study's image path ("\2004\0117\ST01\" takes 16), with room
// for image paths a level or two deeper.
constexpr std::size_t kStudyFolderRoom = 40;
// A medium's label is the destination's label with a number of up to this many digits.
constexpr std::size_t kMediumNumberRoom = 4;

}  // namespace

std::string ArchiveValueLengthMessage(const ArchiveDestination& destination) {
    ArchiveDestination candidate = destination;
    candidate.BuildId();
    std::size_t length =
        candidate.m_strId.size() + 1 + candidate.m_strRootPath.size() + kStudyFolderRoom;
    if (candidate.Kind() == DestinationKind::Removable)
        length += candidate.m_strLabel.size() + kMediumNumberRoom + 1;
    if (length <= kArchiveColumnWidth) return {};
    const std::size_t over = length - kArchiveColumnWidth;
    const std::size_t longest =
        candidate.m_strRootPath.size() > over ? candidate.m_strRootPath.size() - over : 0;
    return "The Root Path is too long: where each study goes must fit in the archive column's " +
           std::to_string(kArchiveColumnWidth) + " characters. Use a Root Path of at most " +
           std::to_string(longest) + " characters.";
}

std::string ValidateNewArchive(const ArchiveDestination& destination) {
    for (const std::string& message :
         {MissingFieldMessage(destination), DuplicateAddressMessage(destination),
          ArchiveValueLengthMessage(destination)})
        if (!message.empty()) return message;
    return {};
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
