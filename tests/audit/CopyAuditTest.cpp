// An audit reads every copy back from its destination, whatever its kind, and finds what the
// catalog says it should hold: a flipped byte, a missing file, a file cut short. A copy it cannot
// reach is reported as not checked, never as verified.
#include "audit/CopyAudit.h"

#include <gtest/gtest.h>

#include <limits>

#include "config/ArchiveDestination.h"
#include "fixtures/CatalogRecords.h"
#include "fixtures/FtpServer.h"
#include "fixtures/RemovalSetup.h"

namespace mirabel {
namespace {

namespace fs = std::filesystem;

ArchiveDestination& AddDestination(ArchiveDestination destination) {
    destination.BuildId();
    g_Archives.push_back(std::make_unique<ArchiveDestination>(destination));
    return *g_Archives.back();
}

TEST(CopyAudit, FindsEveryDamageOnFoldersServersAndMediaAndNeverCallsAnUnreachedCopyVerified) {
    RemovalSetup setup;
    const fs::path served = setup.Work() / "served";
    fs::create_directories(served);
    FtpServer ftpServer(served);
    ArchiveDestination ftp(DestinationKind::Ftp);
    ftp.m_strIpAddress = ftpServer.Address();
    ftp.m_strUserName = ftpServer.User();
    ftp.m_strPassword = ftpServer.Password();
    const std::string ftpId = AddDestination(ftp).m_strId;
    ArchiveDestination medium(DestinationKind::Removable);
    medium.m_strRootPath = (setup.Work() / "dvd").string();
    medium.m_strMediaType = "DVD";
    const std::string mediumId = AddDestination(medium).m_strId;
    fs::create_directories(setup.Work() / "dvd/images/2004");
    WriteFileBytes(setup.Work() / "dvd/cvlabel.txt", "L1\r\n");

    CatalogDatabase catalog(setup.Work() / "catalog.db");
    CopyCatalog copies(catalog);
    // What happens to each copy after archiving, and what the audit must say.
    const struct {
        long examId;
        const char* kind;  // "folder", "ftp", "medium", "other medium", "gone"
        const char* damage;
        const char* result;
        const char* logged;  // in the error line
    } cases[] = {
        {1, "folder", "", kCopyVerified, ""},
        {2, "folder", "flip", kCopyDamaged, "IMG1.dcm: its bytes differ"},
        {3, "folder", "remove", kCopyDamaged, "IMG2.dcm: missing"},
        {4, "ftp", "", kCopyVerified, ""},
        {5, "ftp", "flip", kCopyDamaged, "IMG1.dcm: its bytes differ"},
        {6, "ftp", "cut", kCopyDamaged, "IMG1.dcm: 6 bytes instead of 7"},
        {7, "ftp", "remove", kCopyDamaged, "IMG2.dcm: missing"},
        {8, "medium", "flip", kCopyDamaged, "IMG1.dcm: its bytes differ"},
        {9, "other medium", "", kCopyNotChecked, "is in no drive"},
        {10, "gone", "", kCopyUnreachable, "no longer in archives.p"},
    };
    for (const auto& c : cases) {
        const std::string kind = c.kind;
        const std::string st = "ST" + std::to_string(c.examId);
        RemovalStudy study;
        study.examId = c.examId;
        fs::path copy = setup.CopyOf(c.examId);
        std::string destination = "NFS:ARCH", value;
        if (kind == "folder") {
            study.archiveValue = kFolderCopy;
            value = setup.FolderCopyValue(c.examId);
        } else if (kind == "ftp") {
            study.archiveValue = value = ftpId + ":/images/" + st;
            destination = ftpId;
            copy = served / "images" / st;
        } else if (kind == "gone") {
            study.archiveValue = value = "FTP:10.9.9.9:/images/" + st;
            destination = "FTP:10.9.9.9";
        } else {
            const std::string label = kind == "medium" ? "L1" : "L2";
            study.archiveValue = value = mediumId + ":" + label + ":/dvd/images/2004/";
            destination = mediumId;
            copy = setup.Work() / "dvd/images/2004" / st;
        }
        setup.Add(study);
        fs::create_directories(copy.parent_path());
        if (kind != "folder") fs::copy(setup.FolderOf(c.examId), copy, fs::copy_options::recursive);
        copies.Record(RecordOfOriginals(setup, c.examId, destination, value));
        const std::string damage = c.damage;
        if (damage == "flip") WriteFileBytes(copy / "IMG1.dcm", "image X");
        if (damage == "cut") WriteFileBytes(copy / "IMG1.dcm", "image ");
        if (damage == "remove") fs::remove(copy / "IMG2.dcm");
    }

    std::vector<std::string> progress;
    const AuditTally tally =
        AuditCopies(copies, {}, {}, [&](const std::string& line) { progress.push_back(line); });
    EXPECT_EQ(tally.verified, 2);
    EXPECT_EQ(tally.damaged, 6);
    EXPECT_EQ(tally.notChecked, 2);
    EXPECT_EQ(progress.size(), 10u);
    const std::vector<std::string> errors = setup.Errors();
    for (const auto& c : cases) {
        const std::optional<CatalogCopy> checked = copies.ForExam(std::to_string(c.examId)).front();
        EXPECT_EQ(checked->lastResult, c.result) << c.examId;
        if (*c.logged == '\0') continue;
        const std::string copyName = "exam " + std::to_string(c.examId) + " at ";
        bool found = false;
        for (const std::string& line : errors)
            found |= line.find(copyName) != std::string::npos &&
                     line.find(c.logged) != std::string::npos;
        EXPECT_TRUE(found) << c.examId << ": " << c.logged;
    }
    // A budget stops the audit and leaves the rest for the next; those checked least recently go
    // first, so a second audit picks up where the first stopped.
    const AuditTally first = AuditCopies(copies, {}, {std::nullopt, 1}, {});
    EXPECT_TRUE(first.budgetSpent);
    EXPECT_EQ(first.verified + first.damaged + first.notChecked, 1);
    // A budget as large as the types hold is never spent at once.
    const AuditTally unbounded = AuditCopies(
        copies, {}, {std::chrono::minutes::max(), std::numeric_limits<std::uint64_t>::max()}, {});
    EXPECT_FALSE(unbounded.budgetSpent);
    EXPECT_EQ(unbounded.verified + unbounded.damaged + unbounded.notChecked, 10);
}

}  // namespace
}  // namespace mirabel
