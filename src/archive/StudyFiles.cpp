#include "archive/StudyFiles.h"

#include <algorithm>

#include "archive/StudyPaths.h"
#include "dicomdir/DicomFileMarker.h"

namespace mirabel {

namespace fs = std::filesystem;

std::optional<std::vector<StudyFile>> ListStudyFiles(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    std::vector<StudyFile> files;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return std::nullopt;
        std::error_code entryError;
        // A link could lead out of the image root: only the study's own files are sent.
        if (it->is_symlink(entryError) || !it->is_regular_file(entryError)) continue;
        const std::uint64_t size = it->file_size(entryError);
        if (entryError) continue;  // vanished while we listed
        files.push_back({it->path().filename().string(), it->path(), size});
    }
    if (ec) return std::nullopt;
    std::sort(files.begin(), files.end(),
              [](const StudyFile& a, const StudyFile& b) { return a.name < b.name; });
    return files;
}

std::uint64_t TotalSize(const std::vector<StudyFile>& files) {
    std::uint64_t total = 0;
    for (const StudyFile& file : files) total += file.size;
    return total;
}

bool IsDicomFile(const fs::path& file) {
    return HasDicomFileMarker(file);
}

long long GetStudySizeMB(const std::string& imageRoot, const std::string& imagePath) {
    constexpr std::uint64_t kMegabyte = 1048576;
    const std::optional<fs::path> folder = LocalStudyDirectory(imageRoot, imagePath);
    if (!folder || LinkOnTheWayToStudy(imageRoot, imagePath)) return -1;
    const std::optional<std::vector<StudyFile>> files = ListStudyFiles(*folder);
    if (!files) return -1;
    return static_cast<long long>(TotalSize(*files) / kMegabyte) + 1;
}

}  // namespace mirabel
