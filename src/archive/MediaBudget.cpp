#include "archive/MediaBudget.h"

#include "core/Text.h"

namespace mirabel {

MediaBudget MediaBudget::FromMediaSize(const std::string& megabytes) {
    constexpr std::uint64_t kMegabyte = 1048576;
    const long long size = LeadingInteger(megabytes);
    if (size <= 0) return MediaBudget();
    return MediaBudget(static_cast<std::uint64_t>(size) * kMegabyte);
}

bool MediaBudget::Charge(const std::string& studyFolder, std::uint64_t bytes) {
    if (!limited_ || charged_.count(studyFolder)) return true;
    if (remaining_ < bytes) return false;
    remaining_ -= bytes;
    charged_.insert(studyFolder);
    return true;
}

}  // namespace mirabel
