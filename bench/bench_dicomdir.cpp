// DICOMDIR writing on a medium that receives many studies: the time spent in
// AddFileToDicomDir (one read and write of the DICOMDIR per file) and in DicomDirSession (one
// per study), each against dcmmkdir building a DICOMDIR of the same files from scratch, in the
// same run. Both of our DICOMDIRs must list exactly what dcmmkdir lists.
//
// Usage: bench_dicomdir [files] [studies]   (defaults 1000 and 10; dcmmkdir from $DCMMKDIR)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dicomdir/DicomDirWriter.h"
#include "dicomdir/MediaFileId.h"
#include "fixtures/DicomDirOutline.h"
#include "fixtures/DicomFiles.h"
#include "fixtures/TempDir.h"

using namespace mirabel;

namespace {

namespace fs = std::filesystem;

struct Study {
    std::string imagePath;  // as the image system stores it
    std::vector<fs::path> files;
};

std::vector<Study> CopyStudiesToMedium(const fs::path& medium, int fileCount, int studyCount) {
    std::vector<Study> studies;
    const int perStudy = fileCount / studyCount;
    for (int s = 1; s <= studyCount; ++s) {
        char folder[16];
        std::snprintf(folder, sizeof folder, "ST%02d", s);
        Study study{std::string("\\2026\\1207\\") + folder, {}};
        const std::string n = std::to_string(s);
        // Two series a study, as a cardiac exam usually has several.
        study.files = WriteDicomStudy(medium / "IMAGES" / "2026" / "1207" / folder, "PATIENT^" + n,
                                      "P" + n, TestUid("100." + n), 2, perStudy / 2);
        studies.push_back(std::move(study));
    }
    return studies;
}

// A benchmark of a writer that fails measures nothing: stop at once.
void Require(int toolkitResult) {
    if (toolkitResult == 0) return;
    std::fprintf(stderr, "bench_dicomdir: the DICOMDIR could not be written (%d)\n", toolkitResult);
    std::exit(1);
}

double MillisecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

std::string FileId(const Study& study, const fs::path& file) {
    return MediaFileId(study.imagePath, file.filename().string());
}

double AddFileByFile(const fs::path& medium, const std::vector<Study>& studies) {
    double total = 0;
    for (const Study& study : studies)
        for (const fs::path& file : study.files)
            total += MillisecondsOf([&] {
                Require(AddFileToDicomDir(file.string(), medium.string(), FileId(study, file)));
            });
    return total;
}

double AddStudyByStudy(const fs::path& medium, const std::vector<Study>& studies) {
    double total = 0;
    for (const Study& study : studies)
        total += MillisecondsOf([&] {
            DicomDirSession session(medium.string());
            for (const fs::path& file : study.files)
                session.AddFile(file.string(), FileId(study, file));
            Require(session.Write());
        });
    return total;
}

double BuildWithDcmmkdir(const fs::path& medium) {
    const char* tool = std::getenv("DCMMKDIR");
    // +I: our test images carry no values for some type 1 keys dcmmkdir insists on.
    const std::string command = std::string(tool ? tool : "dcmmkdir") + " -q +I +r +id " +
                                medium.string() + " +D " + (medium / "DICOMDIR").string() +
                                " IMAGES";
    int status = 0;
    const double ms = MillisecondsOf([&] { status = std::system(command.c_str()); });
    if (status != 0) {
        std::fprintf(stderr, "dcmmkdir failed (%d): %s\n", status, command.c_str());
        std::exit(1);
    }
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const int fileCount = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int studyCount = argc > 2 ? std::atoi(argv[2]) : 10;
    if (fileCount < 2 * studyCount || studyCount < 1) {
        std::fprintf(stderr, "usage: bench_dicomdir [files] [studies]\n");
        return 2;
    }
    TempDir work;  // start directory: DirWrite.log grows here, not where the bench was started
    ScopedCurrentDir cwd(work.path());
    TempDir medium;
    const std::vector<Study> studies = CopyStudiesToMedium(medium.path(), fileCount, studyCount);
    std::size_t files = 0;
    for (const Study& study : studies) files += study.files.size();
    const fs::path dicomDir = medium / "DICOMDIR";

    const double perFile = AddFileByFile(medium.path(), studies);
    const auto perFileImages = ListedImages(dicomDir);
    fs::remove(dicomDir);
    const double perStudy = AddStudyByStudy(medium.path(), studies);
    const auto perStudyImages = ListedImages(dicomDir);
    fs::remove(dicomDir);
    const double peer = BuildWithDcmmkdir(medium.path());
    const auto peerImages = ListedImages(dicomDir);

    std::printf("%zu DICOM files in %d studies on one medium\n", files, studyCount);
    std::printf("AddFileToDicomDir, one write a file:   %9.1f ms\n", perFile);
    std::printf("DicomDirSession, one write a study:    %9.1f ms\n", perStudy);
    std::printf("dcmmkdir, whole DICOMDIR from scratch: %9.1f ms\n", peer);
    std::printf("ratio per file / dcmmkdir:  %.1f\n", perFile / peer);
    std::printf("ratio per study / dcmmkdir: %.1f\n", perStudy / peer);
    const bool same =
        perFileImages == peerImages && perStudyImages == peerImages && peerImages.size() == files;
    std::printf("listed images agree with dcmmkdir: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
