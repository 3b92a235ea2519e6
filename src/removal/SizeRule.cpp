#include "removal/SizeRule.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "archive/StudyPaths.h"
#include "log/Logs.h"
#include "platform/FolderEntries.h"
#include "platform/FreeSpace.h"
#include "removal/DeletionCandidates.h"
#include "removal/StudyFileList.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

const std::string kRuleName = "Auto-Delete By Size: ";
constexpr const char* kSelectsNothing = "; the rule selects nothing";

std::string_view WithoutOuterBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The number a text holds when it is nothing but digits with at most one decimal point (and
// blanks around them). Exponents, signs, "nan" and "inf" are no plain numbers: "1e-30" must
// not read as 1.
std::optional<double> PlainNumber(std::string_view text) {
    text = WithoutOuterBlanks(text);
    const bool digitsAndPoint = text.find_first_not_of("0123456789.") == std::string_view::npos;
    const bool someDigit = text.find_first_of("0123456789") != std::string_view::npos;
    if (!digitsAndPoint || !someDigit || std::count(text.begin(), text.end(), '.') > 1)
        return std::nullopt;
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number, std::chars_format::fixed);
    return number;
}

std::string Gigabytes(std::uint64_t bytes) {
    return GigabytesText(bytes, 2) + " GB";
}

// The bytes still to be freed: the limit less the free space and the selected studies; 0 once
// they reach it.
class RoomToFree {
  public:
    explicit RoomToFree(std::uint64_t bytes) : bytes_(bytes) {}
    bool Reached() const { return bytes_ == 0; }
    void Count(std::uint64_t freed) { bytes_ = freed >= bytes_ ? 0 : bytes_ - freed; }

  private:
    std::uint64_t bytes_;
};

void CountSelected(const ArchiverConfig& config, const CandidateList& list, RoomToFree& room) {
    for (const Candidate& record : list) {
        if (room.Reached()) return;
        if (record.m_bSelected) room.Count(CandidateBytes(config, record.ImagePath()));
    }
}

}  // namespace

std::optional<std::uint64_t> SizeGoalBytes(const ArchiverConfig& config,
                                           const std::string& gigabytesText, std::string& refusal) {
    const std::optional<double> gigabytes = PlainNumber(gigabytesText);
    if (!gigabytes) {
        refusal = kRuleName + ("\"" + gigabytesText + "\" is not a plain number of gigabytes" +
                               kSelectsNothing);
        return std::nullopt;
    }
    const std::optional<FileSystemSpace> space = SpaceOfFileSystem(config.m_strImagePath);
    if (!space) {
        refusal = kRuleName + ("the free space of " + config.m_strImagePath + " cannot be read" +
                               kSelectsNothing);
        return std::nullopt;
    }
    // Compared before converting: the text may name more bytes than 64 bits hold.
    const double bytes = std::ceil(*gigabytes * static_cast<double>(kBytesPerGigabyte));
    if (bytes > static_cast<double>(space->totalBytes)) {
        refusal = kRuleName + (std::string(WithoutOuterBlanks(gigabytesText)) +
                               " GB is more than the image store's file system holds (" +
                               Gigabytes(space->totalBytes) + ")" + kSelectsNothing);
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(bytes);
}

std::string GigabytesText(std::uint64_t bytes, int decimals) {
    std::uint64_t scale = 1;
    for (int k = 0; k < decimals; ++k) scale *= 10;
    std::uint64_t whole = bytes / kBytesPerGigabyte;
    std::uint64_t part =
        (bytes % kBytesPerGigabyte * scale + kBytesPerGigabyte / 2) / kBytesPerGigabyte;
    if (part == scale) {
        ++whole;
        part = 0;
    }
    if (decimals <= 0) return std::to_string(whole);
    std::string digits = std::to_string(part);
    return std::to_string(whole) + "." +
           std::string(static_cast<std::size_t>(decimals) - digits.size(), '0') + digits;
}

std::uint64_t CandidateBytes(const ArchiverConfig& config, std::string_view imagePath) {
    const std::optional<fs::path> dir = LocalStudyDirectory(config.m_strImagePath, imagePath);
    return dir ? ListedStudyBytes(*dir) : 0;
}

std::uint64_t ListedStudyBytes(const fs::path& studyDir) {
    const FolderEntries entries(studyDir);
    StudyFileList list = ReadStudyFileList(entries);
    if (list.state != FileListState::Read) return 0;
    RemoveDuplicates(list.names);
    std::uint64_t bytes = 0;
    for (const std::string& name : list.names) bytes += entries.RegularFileSize(name).value_or(0);
    return bytes;
}

bool MarkBySize(DeletionCandidates& candidates, const ArchiverConfig& config,
                std::uint64_t goalBytes) {
    const std::optional<std::uint64_t> free = FreeBytesAvailable(config.m_strImagePath);
    if (!free) {
        ErrorLog(kRuleName + ("the free space of " + config.m_strImagePath + " cannot be read"));
        return false;
    }
    RoomToFree room(goalBytes);
    room.Count(*free);
    CountSelected(config, candidates.server, room);
    CountSelected(config, candidates.temp, room);
    for (Candidate& record : candidates.server) {
        if (room.Reached()) break;
        if (record.m_bSelected) continue;
        record.m_bSelected = kSelectedBySize;
        room.Count(CandidateBytes(config, record.ImagePath()));
    }
    return true;
}

std::string ImageStoreSpaceText(const ArchiverConfig& config) {
    const std::optional<FileSystemSpace> space = SpaceOfFileSystem(config.m_strImagePath);
    if (!space) return "Image store: free space unknown";
    return "Image store: " + Gigabytes(space->freeBytes) + " free of " +
           Gigabytes(space->totalBytes);
}

}  // namespace mirabel
