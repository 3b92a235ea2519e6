#include "removal/SizeRule.h"

#include <charconv>
#include <cmath>

#include "archive/StudyPaths.h"
#include "log/Logs.h"
#include "platform/FolderEntries.h"
#include "platform/FreeSpace.h"
#include "removal/DeletionCandidates.h"
#include "removal/StudyFileList.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// The room a candidate takes up, by its listed files.
std::uint64_t CandidateBytes(const ArchiverConfig& config, const StudyRecord& record) {
    const std::optional<fs::path> dir =
        LocalStudyDirectory(config.m_strImagePath, record.ImagePath());
    return dir ? ListedStudyBytes(*dir) : 0;
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
    for (const auto& record : list) {
        if (room.Reached()) return;
        if (record->m_bSelected) room.Count(CandidateBytes(config, *record));
    }
}

}  // namespace

std::optional<std::uint64_t> SizeLimitBytes(const std::string& gigabytesText) {
    const char* begin = gigabytesText.c_str();
    const char* end = begin + gigabytesText.size();
    while (begin != end && (*begin == ' ' || *begin == '\t')) ++begin;
    double gigabytes = 0;
    if (std::from_chars(begin, end, gigabytes, std::chars_format::fixed).ec != std::errc())
        return std::nullopt;
    if (!(gigabytes > 0)) return std::nullopt;
    const double bytes = std::ceil(gigabytes * static_cast<double>(kBytesPerGigabyte));
    if (bytes >= 1.8e19) return UINT64_MAX;
    return static_cast<std::uint64_t>(bytes);
}

std::uint64_t ListedStudyBytes(const fs::path& studyDir) {
    StudyFileList list = ReadStudyFileList(studyDir);
    if (list.state != FileListState::Read) return 0;
    RemoveDuplicates(list.names);
    const FolderEntries entries(studyDir);
    std::uint64_t bytes = 0;
    for (const std::string& name : list.names) bytes += entries.RegularFileSize(name).value_or(0);
    return bytes;
}

void MarkBySize(const ArchiverConfig& config, const std::string& gigabytesText) {
    const std::optional<std::uint64_t> limit = SizeLimitBytes(gigabytesText);
    if (!limit) return;
    const std::optional<std::uint64_t> free = FreeBytesAvailable(config.m_strImagePath);
    if (!free) {
        ErrorLog("Auto-Delete By Size: the free space of " + config.m_strImagePath +
                 " cannot be read");
        return;
    }
    RoomToFree room(*limit);
    room.Count(*free);
    CountSelected(config, g_ServerCandidates, room);
    CountSelected(config, g_TempCandidates, room);
    for (const auto& record : g_ServerCandidates) {
        if (room.Reached()) return;
        if (record->m_bSelected) continue;
        record->m_bSelected = kSelectedBySize;
        room.Count(CandidateBytes(config, *record));
    }
}

}  // namespace mirabel
