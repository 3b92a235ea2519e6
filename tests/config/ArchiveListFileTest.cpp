#include "config/ArchiveListFile.h"

#include <gtest/gtest.h>

#include "app/ProcessState.h"
#include "config/ArchiveDestination.h"
#include "fixtures/FileCreationLimits.h"
#include "fixtures/TempDir.h"

namespace mirabel {

namespace {

// One record of every type, as the program writes them.
const std::string kEveryType =
    "FTP\n10.0.0.5\n/archive\nftpuser\nsecret\n"
    "NFS\n//server/path1/path2\nShelf A\n"
    "CORVA\n10.0.0.9\n5000\ncorva\npw\n/images\n"
    "REM\nDVD\nMEDIA0001\n/media/dvd\n4700\nSAVE\n"
    "END\n";

class ArchiveListFile : public ::testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }

    std::vector<std::string> Ids() const {
        std::vector<std::string> ids;
        for (const auto& archive : g_Archives) ids.push_back(archive->m_strId);
        return ids;
    }

    // Reads bytes as "archives.p", writes the list back and returns what was written.
    std::string RoundTrip(const std::string& bytes) {
        WriteFileBytes(dir / "in.p", bytes);
        EXPECT_TRUE(ReadArchiveList((dir / "in.p").string()));
        EXPECT_TRUE(WriteArchiveList((dir / "out.p").string()));
        return ReadFileBytes(dir / "out.p");
    }

    TempDir dir;
};

TEST_F(ArchiveListFile, EveryTypeReadsIntoItsFieldsAndWritesBackByteForByte) {
    EXPECT_EQ(RoundTrip(kEveryType), kEveryType);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"FTP:10.0.0.5", "NFS:Shelf A", "CORVA:10.0.0.9",
                                               "REM:DVD"}));
    const ArchiveDestination& server = *g_Archives[2];
    EXPECT_EQ(server.m_strPort, "5000");
    EXPECT_EQ(server.m_strUserName, "corva");
    EXPECT_EQ(server.m_strPassword, "pw");
    EXPECT_EQ(server.m_strRootPath, "/images");
    const ArchiveDestination& medium = *g_Archives[3];
    EXPECT_EQ(medium.m_strLabel, "MEDIA0001");
    EXPECT_EQ(medium.m_strRootPath, "/media/dvd");
    EXPECT_EQ(medium.m_strMediaSize, "4700");
    EXPECT_EQ(medium.m_strDicomDir, "SAVE");
}

TEST_F(ArchiveListFile, CrLfLineEndsReadLikeLf) {
    std::string crlf;
    for (char c : kEveryType) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(RoundTrip(crlf), kEveryType);
    EXPECT_EQ(g_Archives[0]->m_strPassword, "secret");
}

TEST_F(ArchiveListFile, UnknownTypeIsKeptAndWrittenWithTheRemovableMediaLines) {
    const std::string bytes = "JAZ\nJAZ1\nlabel\nE:\n1000\nNONE\nFTP\n1.2.3.4\n/\nu\np\nEND\n";
    EXPECT_EQ(RoundTrip(bytes), bytes);
    EXPECT_EQ(g_Archives[0]->TypeLine(), "JAZ");
    EXPECT_EQ(g_Archives[0]->m_strId, "REM:JAZ1");
    EXPECT_EQ(g_Archives[1]->m_strId, "FTP:1.2.3.4");
}

TEST_F(ArchiveListFile, EveryTypeLineParsesOnceAndAnyUnknownLineRoundTrips) {
    // Type lines are compared exactly; an unknown one is read as removable media.
    const std::pair<const char*, DestinationKind> cases[] = {
        {"FTP", DestinationKind::Ftp},      {"NFS", DestinationKind::Nfs},
        {"CORVA", DestinationKind::Server}, {"REM", DestinationKind::Removable},
        {"JAZ", DestinationKind::Unknown},  {"ftp", DestinationKind::Unknown},
        {"REM ", DestinationKind::Unknown}, {"", DestinationKind::Unknown}};
    for (const auto& [line, kind] : cases) {
        ArchiveDestination destination;
        destination.SetTypeLine(line);
        EXPECT_EQ(destination.Kind(), kind) << '"' << line << '"';
        if (kind != DestinationKind::Unknown) {
            EXPECT_EQ(ArchiveDestination(kind).TypeLine(), line);  // the kind's own line
            continue;
        }
        ResetArchives();
        const std::string bytes = std::string(line) + "\nJAZ1\nlabel\nE:\n1000\nNONE\nEND\n";
        EXPECT_EQ(RoundTrip(bytes), bytes);
        ASSERT_EQ(Ids(), std::vector<std::string>{"REM:JAZ1"});
        EXPECT_EQ(g_Archives[0]->TypeLine(), line);
    }
}

TEST_F(ArchiveListFile, MissingEndKeepsWholeRecordsAndDropsOneCutShort) {
    // The last complete record has no line end at all; the next one lacks its password.
    EXPECT_EQ(RoundTrip("NFS\n/a\nA\nNFS\n/b\nB"), "NFS\n/a\nA\nNFS\n/b\nB\nEND\n");
    ResetArchives();
    EXPECT_EQ(RoundTrip("NFS\n/a\nA\nFTP\n1.2.3.4\n/root\nuser\n"), "NFS\n/a\nA\nEND\n");
    EXPECT_EQ(Ids(), std::vector<std::string>{"NFS:A"});
}

TEST_F(ArchiveListFile, ReadingStopsAtEndAndValuesMayLookLikeEnd) {
    EXPECT_EQ(RoundTrip("NFS\n/a\nEND\nEND\nNFS\n/b\nB\n"), "NFS\n/a\nEND\nEND\n");
    EXPECT_EQ(Ids(), std::vector<std::string>{"NFS:END"});
}

TEST_F(ArchiveListFile, EmptyFileGivesEmptyListAndTheListIsAppended) {
    EXPECT_EQ(RoundTrip(""), "END\n");
    EXPECT_TRUE(g_Archives.empty());

    WriteFileBytes(dir / "one.p", "NFS\n/a\nA\nEND\n");
    ASSERT_TRUE(ReadArchiveList((dir / "one.p").string()));
    ASSERT_TRUE(ReadArchiveList((dir / "one.p").string()));
    EXPECT_EQ(Ids(), (std::vector<std::string>{"NFS:A", "NFS:A"}));
}

TEST_F(ArchiveListFile, UnopenableFilesAreReportedAndChangeNothing) {
    WriteFileBytes(dir / "one.p", "NFS\n/a\nA\nEND\n");
    ASSERT_TRUE(ReadArchiveList((dir / "one.p").string()));

    EXPECT_FALSE(ReadArchiveList((dir / "missing.p").string()));
    std::filesystem::create_directory(dir / "folder.p");
    EXPECT_FALSE(ReadArchiveList((dir / "folder.p").string()));
    EXPECT_EQ(Ids(), std::vector<std::string>{"NFS:A"});

    EXPECT_FALSE(WriteArchiveList((dir / "folder.p").string()));
    EXPECT_FALSE(WriteArchiveList((dir / "no-such-folder" / "archives.p").string()));
}

TEST_F(ArchiveListFile, WritingReplacesTheWholeFile) {
    WriteFileBytes(dir / "archives.p", kEveryType);
    auto medium = std::make_unique<ArchiveDestination>(DestinationKind::Removable);
    medium->m_strMediaType = "CD";
    g_Archives.push_back(std::move(medium));
    ASSERT_TRUE(WriteArchiveList((dir / "archives.p").string()));
    // Empty fields still take their lines, so the next reading stays in step.
    EXPECT_EQ(ReadFileBytes(dir / "archives.p"), "REM\nCD\n\n\n\n\nEND\n");
}

TEST_F(ArchiveListFile, ANewListIsTheOwnersAloneAndAFailedWriteKeepsTheOldOne) {
    const ScopedUmask usualMask(022);
    ASSERT_TRUE(WriteArchiveList((dir / "new.p").string()));  // it holds FTP passwords
    EXPECT_EQ(std::filesystem::status(dir / "new.p").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    WriteFileBytes(dir / "archives.p", kEveryType);
    for (int i = 0; i < 100; ++i) {
        auto nfs = std::make_unique<ArchiveDestination>(DestinationKind::Nfs);
        nfs->m_strRootPath = "//server/share/" + std::string(100, 'p');
        g_Archives.push_back(std::move(nfs));
    }
    {
        const FileSizeLimit diskFullAfter(4096);
        EXPECT_FALSE(WriteArchiveList((dir / "archives.p").string()));
    }
    EXPECT_EQ(ReadFileBytes(dir / "archives.p"), kEveryType);
}

TEST_F(ArchiveListFile, LineFeedInsideAValueCannotShiftLaterRecords) {
    auto nfs = std::make_unique<ArchiveDestination>(DestinationKind::Nfs);
    nfs->m_strRootPath = "/pasted\npath";
    nfs->m_strLabel = "A";
    g_Archives.push_back(std::move(nfs));
    ASSERT_TRUE(WriteArchiveList((dir / "archives.p").string()));
    EXPECT_EQ(ReadFileBytes(dir / "archives.p"), "NFS\n/pastedpath\nA\nEND\n");
}

}  // namespace

}  // namespace mirabel
