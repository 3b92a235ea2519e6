// A medium holding a public collection of real-world DICOM files that no one here wrote:
// pydicom's test set (package python3-pydicom), with big endian, deflated, JPEG, JPEG 2000 and
// RLE files, truncated ones, odd VRs and character sets, and data sets encoded otherwise than
// their meta header says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "dicomdir/DicomDirWriter.h"
#include "dicomdir/DicomFileMarker.h"
#include "fixtures/DicomDirOutline.h"
#include "fixtures/DicomDirValidator.h"
#include "fixtures/PeerProcess.h"
#include "fixtures/TempDir.h"
#include "fixtures/ToolRun.h"

namespace mirabel {

namespace {

namespace fs = std::filesystem;

const fs::path kTestFiles = "/usr/lib/python3/dist-packages/pydicom/data/test_files";

// pydicom, a reader independent of the toolkit, says which SOP Instance UID and Study Instance
// UID the data set of each file holds at its top level: "UID <file name> <uid> <study uid or
// ->" for each file with a SOP Instance UID (its warnings go to the same output).
constexpr const char* kUidLister = R"(
import sys, pydicom
for path in sys.argv[1:]:
    try:
        data = pydicom.dcmread(path, force=True, stop_before_pixels=True)
    except Exception:
        continue
    if data.get('SOPInstanceUID'):
        print('UID', path.rsplit('/', 1)[-1], data.SOPInstanceUID,
              data.get('StudyInstanceUID') or '-')
)";

struct OwnUids {
    std::string image;
    std::string study;  // "-" when the data set has none
};

// What the test files' own names and gaps cause: a "." in the file ids, and elements left empty
// (or, for a file that names no SOP class anywhere, out) because an image lacks them.
const std::vector<std::string> kCausedByTheFiles{
    R"(Referenced File ID .*Character invalid for this VR = '\.')",
    "Dicom dataset contains invalid data values for Value Representations",
    R"(Empty attribute \(no value\) Type 1 Required)",
    "Missing attribute Type 1C Conditional Element=<ReferencedSOPClassUIDInFile>"};

// By file name.
std::map<std::string, OwnUids> UidsByPydicom(const fs::path& script,
                                             const std::vector<fs::path>& files) {
    WriteFileBytes(script, kUidLister);
    std::string command = std::string(kSystemPython) + " " + script.string();
    for (const fs::path& file : files) command += " " + file.string();
    const ToolRun run = RunTool(command);
    EXPECT_EQ(run.status, 0) << run.output;
    std::map<std::string, OwnUids> uids;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string mark, name;
        OwnUids own;
        if (fields >> mark >> name >> own.image >> own.study && mark == "UID") uids[name] = own;
    }
    return uids;
}

std::string Numbered(std::size_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG%03zu.DCM", number);
    return name;
}

TEST(RealWorldFilesTest, EachDicomFileIsListedByItsOwnUidAndTheDicomDirIsValid) {
    ASSERT_TRUE(fs::is_directory(kTestFiles)) << "python3-pydicom's test files are needed";
    TempDir work;
    ScopedCurrentDir cwd{work.path()};
    TempDir medium;
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(kTestFiles))
        if (entry.path().extension() == ".dcm") sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());

    // Copied as a transfer copies them; only files with the DICOM file marker are listed.
    fs::create_directories(medium / "IMAGES");
    std::vector<fs::path> listed;
    {
        DicomDirSession session(medium.path().string());
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const fs::path copy = medium / "IMAGES" / Numbered(i);
            fs::copy_file(sources[i], copy);
            if (!HasDicomFileMarker(copy)) continue;
            session.AddFile(copy.string(), "IMAGES\\" + Numbered(i));
            listed.push_back(copy);
        }
        ASSERT_EQ(session.Write(), 0);
    }
    ASSERT_GT(listed.size(), 50u);

    // Each IMAGE record has the UID of the file it names, under that file's study.
    const std::map<std::string, OwnUids> own = UidsByPydicom(work / "uids.py", listed);
    ASSERT_GT(own.size(), 40u);
    std::set<std::string> listedUids;
    std::string study;
    for (const std::string& line : DicomDirOutline(medium / "DICOMDIR")) {
        std::istringstream fields(line);  // "STUDY <uid>", "IMAGE <uid> IMAGES\<file>"
        std::string type, uid, fileId;
        fields >> type >> uid >> fileId;
        if (type == "STUDY") study = uid;
        if (type != "IMAGE") continue;
        listedUids.insert(uid);
        const auto file = own.find(fileId.substr(fileId.rfind('\\') + 1));
        if (file == own.end()) continue;
        EXPECT_EQ(uid, file->second.image) << line;
        if (file->second.study != "-") {
            EXPECT_EQ(study, file->second.study) << line;
        }
    }
    // Files that share a UID (one image in several encodings) share its record.
    for (const auto& [file, uids] : own) EXPECT_EQ(listedUids.count(uids.image), 1u) << file;
    EXPECT_EQ(UnexpectedValidatorErrors(medium / "DICOMDIR", kCausedByTheFiles),
              std::vector<std::string>{});
}

}  // namespace

}  // namespace mirabel
