// The catalog keeps each study's copies with their files' digests across runs, and hands the
// copies to an audit least recently checked first.
#include "catalog/CopyCatalog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fixtures/TempDir.h"

namespace mirabel {
namespace {

CatalogCopy CopyOf(const std::string& examId, const std::string& destination) {
    return {examId,
            destination,
            "\\" + destination + "\\2004\\" + examId,
            "\\2004\\" + examId,
            "",
            {{"cv.dir", 9, std::string(64, '1')}, {"a b/c", 0, ""}},
            "",
            ""};
}

std::vector<std::string> AuditOrder(CopyCatalog& copies, const AuditChoice& choice = {}) {
    std::vector<std::string> order;
    copies.EachToAudit(choice, [&](CatalogCopy copy) {
        order.push_back(copy.examId + "@" + copy.destination);
        return true;
    });
    return order;
}

TEST(CopyCatalog, KeepsCopiesAcrossOpeningsAndAuditsTheLeastRecentlyCheckedFirst) {
    TempDir dir;
    const auto file = dir / "catalog.db";
    {
        CatalogDatabase catalog(file);
        CopyCatalog copies(catalog);
        for (const char* exam : {"7", "8", "9"}) copies.Record(CopyOf(exam, "NFS"));
        copies.Record(CopyOf("7", "FTP"));
        CatalogCopy again = CopyOf("8", "NFS");
        again.files.pop_back();
        copies.Record(again);  // a study archived again replaces its copy
    }
    CatalogDatabase catalog(file);
    CopyCatalog copies(catalog);
    const std::optional<CatalogCopy> seven = copies.Find("7", "NFS");
    ASSERT_TRUE(seven);
    EXPECT_EQ(seven->archiveValue, "\\NFS\\2004\\7");
    ASSERT_EQ(seven->files.size(), 2u);
    EXPECT_EQ(seven->files[1].name, "");  // a name holding "/" reads back as naming nothing
    EXPECT_EQ(seven->FileNamed("cv.dir")->sha256, std::string(64, '1'));
    EXPECT_EQ(copies.Find("8", "NFS")->files.size(), 1u);
    EXPECT_FALSE(copies.Find("7", "MEDIA"));
    EXPECT_EQ(copies.ForExam("7").size(), 2u);

    copies.RecordCheck("8", "NFS", kCopyVerified, "");
    copies.RecordCheck("7", "NFS", kCopyDamaged, "IMG1: differs");
    EXPECT_EQ(copies.Find("7", "NFS")->lastResult, kCopyDamaged);
    // Never checked first, then by the time of the last check (to the second: within one
    // second in any order).
    std::vector<std::string> order = AuditOrder(copies);
    ASSERT_EQ(order.size(), 4u);
    std::sort(order.begin(), order.begin() + 2);
    std::sort(order.begin() + 2, order.end());
    EXPECT_EQ(order, std::vector<std::string>({"7@FTP", "9@NFS", "7@NFS", "8@NFS"}));
    EXPECT_EQ(AuditOrder(copies, {"7", std::nullopt}),
              std::vector<std::string>({"7@FTP", "7@NFS"}));
    EXPECT_EQ(AuditOrder(copies, {"", 1}).size(), 2u);  // checked just now: not due
}

}  // namespace
}  // namespace mirabel

namespace mirabel {
namespace {

// A link in the catalog's place (to the image system's own database, or to nowhere) is refused:
// the catalog's tables never land in another file, nor outside the start directory.
TEST(CopyCatalog, ALinkInTheCatalogsPlaceIsRefused) {
    TempDir dir;
    WriteFileBytes(dir / "echo.db", "");
    std::filesystem::create_symlink(dir / "echo.db", dir / "catalog.db");
    std::filesystem::create_symlink(dir / "missing.db", dir / "dangling.db");
    for (const char* name : {"catalog.db", "dangling.db"})
        EXPECT_THROW(CatalogDatabase(dir / name), CatalogFailure) << name;
    EXPECT_EQ(ReadFileBytes(dir / "echo.db"), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.db"));
}

}  // namespace
}  // namespace mirabel
