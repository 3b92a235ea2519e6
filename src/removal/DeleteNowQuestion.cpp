#include "removal/DeleteNowQuestion.h"

#include "archive/StudyPaths.h"
#include "core/Operator.h"
#include "removal/SizeRule.h"

namespace mirabel {

namespace {

// Bytes as gigabytes with one decimal, rounded half up, in whole numbers so that neither
// the locale's decimal sign nor a double's precision at 2^64 can change the text.
std::string Gigabytes(std::uint64_t bytes) {
    constexpr std::uint64_t kHalfTenth = kBytesPerGigabyte / 2;
    std::uint64_t whole = bytes / kBytesPerGigabyte;
    std::uint64_t tenths = (bytes % kBytesPerGigabyte * 10 + kHalfTenth) / kBytesPerGigabyte;
    if (tenths == 10) {
        ++whole;
        tenths = 0;
    }
    return std::to_string(whole) + "." + std::to_string(tenths);
}

std::uint64_t StudyBytes(const ArchiverConfig& config, const StudyRecord& record) {
    const auto dir = LocalStudyDirectory(config.m_strImagePath, record.ImagePath());
    return dir ? ListedStudyBytes(*dir) : 0;
}

}  // namespace

std::string DeleteNowQuestion(std::size_t studies, std::uint64_t bytes) {
    return "Delete the local images of " + std::to_string(studies) + " studies (" +
           Gigabytes(bytes) + " GB)?";
}

bool ConfirmDeleteNow(const ArchiverConfig& config, const std::vector<CandidateKey>& highlighted) {
    const std::vector<const StudyRecord*> studies = CandidatesOf(highlighted);
    std::uint64_t bytes = 0;
    for (const StudyRecord* study : studies) bytes += StudyBytes(config, *study);
    return TheOperator().MessageBox(DeleteNowQuestion(studies.size(), bytes), Buttons::YesNo) ==
           Answer::Yes;
}

}  // namespace mirabel
