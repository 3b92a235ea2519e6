#include "archive/CopyVerification.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "archive/StudyFiles.h"
#include "archive/StudyPaths.h"
#include "core/Text.h"
#include "log/Logs.h"
#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/RegularFile.h"

namespace mirabel {

namespace {

// Blocks on the stack, as large as the stack comfortably allows on every system: one system
// call per 64 KB, and no fresh heap megabyte per comparison, whose page faults and zero fill
// cost more than the reading itself.
constexpr std::size_t kBlockBytes = 1 << 16;

struct OpenFile {
    const RegularFile& file;
    const std::string& path;
};

// Fills the block as far as the file allows. A read error is no difference of contents but a
// failure of the file: it is thrown, for the caller's exception rule to report.
std::size_t ReadBlock(const OpenFile& from, char* block) {
    const SystemResult<std::size_t> count = ReadFully(from.file.fd.Get(), block, kBlockBytes);
    if (!count)
        throw std::runtime_error("Error reading " + from.path + ": " + count.error().Text());
    return *count;
}

// Both files read in step; false at the first difference in length or content.
bool SameContents(const OpenFile& local, const OpenFile& media) {
    char localBlock[kBlockBytes];
    char mediaBlock[kBlockBytes];
    for (;;) {
        const std::size_t localCount = ReadBlock(local, localBlock);
        const std::size_t mediaCount = ReadBlock(media, mediaBlock);
        if (localCount != mediaCount) return false;
        if (std::memcmp(localBlock, mediaBlock, localCount) != 0) return false;
        if (localCount < kBlockBytes) return true;
    }
}

std::optional<SortedFileList> ReadSortedListing(const std::string& dir) {
    const std::optional<std::vector<StudyFile>> files = ListStudyFiles(ToNativeSeparators(dir));
    if (!files) return std::nullopt;
    SortedFileList list;
    list.reserve(files->size());
    for (const StudyFile& file : *files)
        InsertSorted(list, {file.name, file.path.string(), file.size});
    return list;
}

bool SameNamesAndSizes(const SortedFileList& local, const SortedFileList& media) {
    return std::equal(local.begin(), local.end(), media.begin(),
                      [](const CompareEntry& a, const CompareEntry& b) {
                          return a.name == b.name && a.size == b.size;
                      });
}

}  // namespace

void InsertSorted(SortedFileList& list, CompareEntry entry) {
    entry.name = ToAsciiLower(std::move(entry.name));
    const auto place = std::upper_bound(
        list.begin(), list.end(), entry,
        [](const CompareEntry& a, const CompareEntry& b) { return a.name < b.name; });
    list.insert(place, std::move(entry));
}

bool CompareFiles(const std::string& localFile, const std::string& mediaFile) {
    // Neither side is read through a link or from a FIFO or device put in a file's place.
    std::string reason;
    const std::optional<RegularFile> local = OpenRegularFile(ToNativeSeparators(localFile), reason);
    if (!local) {
        ErrorLog("Compare Directories: Could not open original file");
        return false;
    }
    const std::optional<RegularFile> media = OpenRegularFile(ToNativeSeparators(mediaFile), reason);
    if (!media) {
        ErrorLog("Compare Directories: Could not open file on media");
        return false;
    }
    return CompareOpenFiles(*local, localFile, *media, mediaFile);
}

bool CompareOpenFiles(const RegularFile& localFile, const std::string& localPath,
                      const RegularFile& mediaFile, const std::string& mediaPath) {
    AdviseSequentialReading(localFile.fd.Get());
    AdviseSequentialReading(mediaFile.fd.Get());
    if (!SameContents({localFile, localPath}, {mediaFile, mediaPath})) {
        ErrorLog("Compare Directories: File compare/verify had errors");
        return false;
    }
    return true;
}

bool CompareDirectories(const std::string& localDir, const std::string& mediaDir) {
    const std::optional<SortedFileList> local = ReadSortedListing(localDir);
    if (!local) {
        ErrorLog("Compare Directories: Original image directory does not exist");
        return false;
    }
    const std::optional<SortedFileList> media = ReadSortedListing(mediaDir);
    if (!media) {
        ErrorLog("Compare Directories: Image directory on media does not exist");
        return false;
    }
    if (local->size() != media->size()) {
        ErrorLog("Compare Directories: Directories do not have the same number of files");
        return false;
    }
    if (!SameNamesAndSizes(*local, *media)) {
        ErrorLog(
            "Compare Directories: A file in the image directory is either not on the media or "
            "is not the correct size on the media");
        return false;
    }
    if (local->empty()) return true;
    // Reading one file in full proves the medium readable at the cost of one file; the
    // others are checked by name and size.
    const std::size_t middle = local->size() / 2;
    return CompareFiles((*local)[middle].path, (*media)[middle].path);
}

}  // namespace mirabel
