#include "archive/StudyFiles.h"

#include <sys/stat.h>

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
        // One look at each entry, without following it: a link could lead out of the image
        // root, so only the study's own regular files count. One that vanished meanwhile is
        // left out.
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (it->path().filename().string().starts_with(kRemovalProbePrefix)) continue;
        files.push_back(
            {it->path().filename().string(), it->path(), static_cast<std::uint64_t>(info.st_size)});
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
