// Copies made before the catalog existed are adopted only when what can be compared agrees:
// the copy against its manifest and against the original while it is there.
#include "audit/CopyAdoption.h"

#include <gtest/gtest.h>

#include "catalog/CopyManifest.h"
#include "fixtures/RemovalSetup.h"

namespace mirabel {
namespace {

namespace fs = std::filesystem;

TEST(CopyAdoption, RecordsOnlyCopiesThatAgreeWithTheirManifestAndOriginal) {
    RemovalSetup setup;
    CatalogDatabase catalog(setup.Work() / "catalog.db");
    CopyCatalog copies(catalog);
    const struct {
        long examId;
        const char* arrange;  // what differs from a fresh copy
        bool local;           // the original is still there
        bool adopted;
    } cases[] = {
        {1, "", true, true},
        {2, "copy differs", true, false},
        {3, "manifest", true, true},
        {4, "manifest differs", true, false},
        {5, "exam.ver only", false, true},
        {6, "nothing to name files by", false, false},
    };
    std::vector<ArchivedStudy> studies;
    for (const auto& c : cases) {
        RemovalStudy study;
        study.examId = c.examId;
        setup.Add(study);
        const fs::path copy = setup.CopyOf(c.examId);
        const std::string arrange = c.arrange;
        const std::string imagePath = RemovalSetup::ImagePathOf(c.examId);
        if (arrange == "copy differs") WriteFileBytes(copy / "IMG1.dcm", "image X");
        if (arrange.starts_with("manifest")) {
            // the manifest of the copy, as sha256sum writes it (IMG1, IMG2: "image 1", "image 2")
            const fs::path manifest = setup.ArchiveRoot() / ManifestPathFor(imagePath);
            fs::create_directories(manifest.parent_path());
            std::vector<CopiedFile> files = {{"IMG1.dcm", 7, ""}, {"IMG2.dcm", 7, ""}};
            files[0].sha256 = "bdd295acb9859817b9da544524ed3525a64f61bf5edb16deb0c28b6ae63d378b";
            files[1].sha256 = "32708aa33e13cb8601678e3ffe6f522035ce3c0b8278e440299e72b1cfdcd0b9";
            if (arrange == "manifest differs") files[0].sha256 = std::string(64, '0');
            WriteFileBytes(manifest, ManifestText(imagePath, files));
        }
        if (arrange == "exam.ver only")
            WriteFileBytes(copy / "exam.ver", std::to_string(c.examId) + "\r\n2\r\n" +
                                                  (copy / "IMG1.dcm").string() + "\r\n7\r\n" +
                                                  (copy / "IMG2.dcm").string() + "\r\n7\r\n");
        std::optional<fs::path> local;
        if (c.local) local = setup.FolderOf(c.examId);
        studies.push_back(
            {std::to_string(c.examId), imagePath, setup.FolderCopyValue(c.examId), local});
    }
    const AdoptionTally tally = AdoptCopies(copies, studies, {});
    for (const auto& c : cases)
        EXPECT_EQ(copies.Find(std::to_string(c.examId), "NFS:ARCH").has_value(), c.adopted)
            << c.examId << " " << c.arrange;
    EXPECT_EQ(tally.adopted, 3);
    // Adopted copies pass their first audit; adopting again finds them known.
    const AuditTally audit = AuditCopies(copies, {}, {}, {});
    EXPECT_EQ(audit.verified, 3);
    EXPECT_EQ(AdoptCopies(copies, studies, {}).alreadyKnown, 3);
}

}  // namespace
}  // namespace mirabel
