#pragma once
// What a study folder holds: its files (subfolders are not part of a study), the DICOM test,
// and the study size shown by the manual selection.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mirabel {

struct StudyFile {
    std::string name;  // file name as stored
    std::filesystem::path path;
    std::uint64_t size = 0;
};

// The names of the files study removal makes in a study folder for a moment while it checks the
// study's copy; one left by a killed pass is no file of the study.
inline constexpr const char* kRemovalProbePrefix = ".mirabel-probe-";

// The regular files directly inside `folder`, in name order. Subfolders, special files that a
// copy could hang on (pipes, sockets, devices) and removal's probes are left out. nullopt when the
// folder does not exist or cannot be listed.
[[nodiscard]] std::optional<std::vector<StudyFile>> ListStudyFiles(
    const std::filesystem::path& folder);

// Sum of the file sizes.
std::uint64_t TotalSize(const std::vector<StudyFile>& files);

// True when the file is a regular file (not a link, FIFO or device) holding "DICM" at bytes 128
// to 131.
bool IsDicomFile(const std::filesystem::path& file);

// Size of the study's files in megabytes, counted as whole megabytes plus one (so a study of
// any size shows at least 1); -1 when the image root or image path is empty, refused, reached
// through a link, or when the folder does not exist.
[[nodiscard]] long long GetStudySizeMB(const std::string& imageRoot, const std::string& imagePath);

}  // namespace mirabel
