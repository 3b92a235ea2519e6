// A study to an image server, in process: its files over FTP, then its rows to a table-data
// server, both real on 127.0.0.1, the rows from a real SQLite image database.
#include <gtest/gtest.h>

#include "app/WindowRun.h"
#include "app/ProcessState.h"
#include "archive/StudyTransfer.h"
#include "db/DatabaseLayer.h"
#include "fixtures/FtpServer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TableDataServer.h"
#include "fixtures/TransferSetup.h"

namespace mirabel {

namespace {

namespace fs = std::filesystem;

constexpr const char* kPath = "\\2004\\0117\\ST1001";

class ServerStudyTransfer : public ::testing::Test {
  protected:
    ServerStudyTransfer() {
        ResetProcessState();
        CreateImageDatabase(setup.Work() / "echo.mdb", StudiesOfOnePatient({1001}));
        setup.config.m_strDatabaseFile = (setup.Work() / "echo.mdb").string();
        setup.MakeStudy(kPath, {{"IMG1.dcm", "image"}});
    }
    ~ServerStudyTransfer() override { ResetProcessState(); }

    TransferOutcome Archive(const TableDataServer& table, const std::string& patientId,
                            const std::string& examId) {
        ArchiveDestination server(DestinationKind::Server);
        server.m_strIpAddress = ftp.Address();
        server.m_strPort = std::to_string(table.Port());
        server.m_strRootPath = "vol1";
        server.m_strUserName = ftp.User();
        server.m_strPassword = ftp.Password();
        server.BuildId();
        StudyRecord study = TransferSetup::Study(kPath, examId);
        study.SetPatientId(patientId);
        MediaBudget budget;
        return ArchiveStudy(WindowRunControl(), setup.config, server, study, budget);
    }

    TransferSetup setup;
    TempDir served;
    FtpServer ftp{served.path()};
};

TEST_F(ServerStudyTransfer, ARowThatIsMissingRefusesTheStudyAfterItsFiles) {
    TableDataServer table(
        {{"PATIENT", {TableAnswer::Reply("4711")}}, {"EXAM", {TableAnswer::Reply("OK")}}});
    EXPECT_EQ(Archive(table, "8", "1001"), TransferOutcome::DestinationFullOrRefused);
    EXPECT_TRUE(table.Requests().empty());
    EXPECT_EQ(Archive(table, "7", "1002"), TransferOutcome::DestinationFullOrRefused);
    EXPECT_EQ(table.Requests().size(), 1u);  // the patient went, the exam could not follow
    EXPECT_TRUE(fs::exists(served.path() / "images/vol1/2004/0117/ST1001/IMG1.dcm"));
    EXPECT_TRUE(Contains(setup.Debug(), "reading exam data"));
    EXPECT_FALSE(Contains(setup.Debug(), "writing exam data"));
}

}  // namespace

}  // namespace mirabel
