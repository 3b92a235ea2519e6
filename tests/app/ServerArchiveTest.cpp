// "mirabel --archive-now" to an image-server destination: the study files over FTP (pyftpdlib)
// and the PATIENT and EXAM rows to a scripted table-data server, both on 127.0.0.1.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "archive/FrameReassembly.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/FtpServer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/LogMessages.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/TableDataServer.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

namespace fs = std::filesystem;

constexpr const char* kRefused = "Error:  Problem writing table data to Corvana server";
const TableServerScript kAccepting = {{"PATIENT", {TableAnswer::Reply("4711")}},
                                      {"EXAM", {TableAnswer::Reply("OK")}}};

// Two studies of patient 7 wait; the second is only tried after the first.
class ServerArchive : public ::testing::Test {
  protected:
    ServerArchive() { dir.MakeServerStudies(); }

    ProgramOutcome Run(const std::string& tablePort) {
        dir.StoreServerArchive(ftp, tablePort);
        return RunProgram("--archive-now");
    }
    std::vector<std::string> Log(const char* file) const { return ReadLogMessages(dir / file); }
    static bool Has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ProgramDirectory dir;
    fs::path database = dir / "echo.db";
    TempDir servedDir;
    fs::path served = servedDir.path();
    FtpServer ftp{served};
};

TEST_F(ServerArchive, TheFilesAndBothRowsLandAndOnlyThenIsTheStudyRecorded) {
    TableDataServer table(kAccepting);
    const ProgramOutcome run = Run(std::to_string(table.Port()));
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* file : {"IMG1.dcm", "IMG2.dcm", "exam.ver"})
        EXPECT_TRUE(fs::exists(served / "images/vol1/2004/0117/ST1001" / file)) << file;
    EXPECT_EQ(ReadArchiveValue(database, 1001),
              "CORVA:" + ftp.Address() + ":/images/vol1/2004/0117/ST1001/");
    EXPECT_EQ(ReadArchiveValue(database, 1002),
              "CORVA:" + ftp.Address() + ":/images/vol1/2004/0117/ST1002/");

    const std::vector<std::string> requests = table.Requests();
    ASSERT_EQ(requests.size(), 4u);  // PATIENT, EXAM of each study
    const std::string patient =
        "String(Table)\r\nMakeString(Table,{\"PATIENT\"})\r\nInteger(NFields)\r\n"
        "SetValue(NFields,7)\r\nStringArray(FieldNames)\r\nStringArray(FieldValues)\r\nAll\r\n\r\n"
        "AddArrayValue(FieldNames,{\"NAME_L\"})\r\nAddArrayValue(FieldValues,{\"Smith\"})\r\n"
        "AddArrayValue(FieldNames,{\"NAME_F\"})\r\nAddArrayValue(FieldValues,{\"Ann\"})\r\n"
        "AddArrayValue(FieldNames,{\"NAME_I\"})\r\nAddArrayValue(FieldValues,{\"Q\"})\r\n"
        "AddArrayValue(FieldNames,{\"IUH_ID\"})\r\nAddArrayValue(FieldValues,{\"MRN7\"})\r\n"
        "AddArrayValue(FieldNames,{\"SSN\"})\r\nAddArrayValue(FieldValues,{\"000-00-0000\"})\r\n"
        "AddArrayValue(FieldNames,{\"DOB\"})\r\nAddArrayValue(FieldValues,{\"01/01/1950\"})\r\n"
        "AddArrayValue(FieldNames,{\"GENDER\"})\r\nAddArrayValue(FieldValues,{\"F\"})\r\n"
        "All\r\n\r\nCall(StoreRow)\r\n";
    EXPECT_EQ(requests[0], FrameMessage(patient));
    const std::string exam = requests[1];
    EXPECT_TRUE(exam.starts_with("$CVA$" + std::to_string(exam.size() - exam.find('\t') - 1) +
                                 "\tString(Table)\r\nMakeString(Table,{\"EXAM\"})\r\n"
                                 "Integer(NFields)\r\nSetValue(NFields,20)\r\n"))
        << exam;
    EXPECT_TRUE(exam.ends_with(
        "AddArrayValue(FieldNames,{\"DOC_TO_READ\"})\r\nAddArrayValue(FieldValues,{\"NULL\"})\r\n"
        "AddArrayValue(FieldNames,{\"PAT_ID\"})\r\nAddArrayValue(FieldValues,{\"4711\"})\r\n"
        "AddArrayValue(FieldNames,{\"IMAGE_PATH\"})\r\n"
        "AddArrayValue(FieldValues,{\"vol1/2004/0117/ST1001/\"})\r\n"
        "All\r\n\r\nCall(StoreRow)\r\n"))
        << exam;
    EXPECT_TRUE(Has(Log(kActivityLogFile), "Archive finished"));
}

TEST_F(ServerArchive, ALineBreakInTheServersPatientIdReachesTheExamScriptEscaped) {
    TableDataServer table(
        {{"PATIENT", {TableAnswer::Reply("47\r\n11")}}, {"EXAM", {TableAnswer::Reply("OK")}}});
    const ProgramOutcome run = Run(std::to_string(table.Port()));
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<std::string> requests = table.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_NE(requests[1].find("AddArrayValue(FieldNames,{\"PAT_ID\"})\r\n"
                               "AddArrayValue(FieldValues,{\"47\\cr\\lf11\"})\r\n"),
              std::string::npos)
        << requests[1];
}

TEST_F(ServerArchive, EveryRefusalEndsTheRunWithTheStudyUnrecorded) {
    ::setenv("MIRABEL_TABLE_REPLY_WAIT_MS", "300", 1);
    struct Case {
        const char* what;
        TableServerScript script;
        std::size_t requests;    // what the server received before the run ended
        const char* stepLogged;  // the debug log's last table-data step
    };
    const std::vector<Case> cases = {
        {"the patient refused",
         {{"PATIENT", {TableAnswer::Reply("Error: ward closed")}}},
         1,
         "writing patient table data"},
        {"the exam refused",
         {{"PATIENT", {TableAnswer::Reply("4711")}}, {"EXAM", {TableAnswer::Reply("ERROR")}}},
         2,
         "writing exam data"},
        {"no reply", {{"PATIENT", {TableAnswer::Silent()}}}, 1, "writing patient table data"},
        {"nothing listens", {}, 0, "writing patient table data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(dir / kActivityLogFile);
        fs::remove(dir / kDebugLogFile);
        TableDataServer table(c.script);
        const bool listening = !c.script.empty();
        const ProgramOutcome run =
            Run(std::to_string(listening ? table.Port() : UnusedLocalPort()));
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(kRefused), std::string::npos) << run.output;
        EXPECT_EQ(table.Requests().size(), c.requests);
        EXPECT_EQ(ReadArchiveValue(database, 1001), "");
        EXPECT_EQ(ReadArchiveValue(database, 1002), "");
        const std::vector<std::string> activity = Log(kActivityLogFile);
        EXPECT_TRUE(Has(activity, kRefused));
        EXPECT_FALSE(Has(activity, "Archive finished"));
        const std::vector<std::string> debug = Log(kDebugLogFile);
        EXPECT_TRUE(Has(debug, kRefused));
        EXPECT_TRUE(Has(debug, c.stepLogged));
    }
    ::unsetenv("MIRABEL_TABLE_REPLY_WAIT_MS");
}

}  // namespace

}  // namespace mirabel
