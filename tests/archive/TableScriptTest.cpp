// The table-data script of a row and the procedure text of "pcode.txt" appended to it.
#include "archive/TableScript.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fixtures/TempDir.h"

namespace mirabel {

namespace {

const std::string kHeaderStart = "String(Table)\r\nMakeString(Table,{\"";

TEST(TableScript, APatientRowIsCountedAndListedInOrder) {
    const std::string script =
        FormatTableScript("PATIENT", {"NAME_L", "GENDER"}, {"O'Brien \"Jr\"\t\\cr", "NULL"},
                          "/images/vol1/2004/0117/ST01/");
    EXPECT_EQ(script,
              "String(Table)\r\n"
              "MakeString(Table,{\"PATIENT\"})\r\n"
              "Integer(NFields)\r\n"
              "SetValue(NFields,2)\r\n"
              "StringArray(FieldNames)\r\n"
              "StringArray(FieldValues)\r\n"
              "All\r\n"
              "\r\n"
              "AddArrayValue(FieldNames,{\"NAME_L\"})\r\n"
              "AddArrayValue(FieldValues,{\"O'Brien \"Jr\"\t\\cr\"})\r\n"
              "AddArrayValue(FieldNames,{\"GENDER\"})\r\n"
              "AddArrayValue(FieldValues,{\"NULL\"})\r\n"
              "All\r\n"
              "\r\n");
}

TEST(TableScript, AnExamRowEndsWithItsImagePathWhichIsNotCounted) {
    const std::string script = FormatTableScript("EXAM", {"EXAM_TYPE", "PAT_ID"}, {"ECHO", "4711"},
                                                 "/images/vol1/2004/0117/ST01/");
    EXPECT_NE(script.find("SetValue(NFields,2)\r\n"), std::string::npos);
    const std::string tail =
        "AddArrayValue(FieldNames,{\"PAT_ID\"})\r\n"
        "AddArrayValue(FieldValues,{\"4711\"})\r\n"
        "AddArrayValue(FieldNames,{\"IMAGE_PATH\"})\r\n"
        "AddArrayValue(FieldValues,{\"vol1/2004/0117/ST01/\"})\r\n"
        "All\r\n\r\n";
    EXPECT_TRUE(script.ends_with(tail)) << script;
}

TEST(TableScript, TheProcedureIsReadOnceFoundAndSoughtAgainWhileMissing) {
    TempDir dir;
    g_strScriptFile = (dir / "pcode.txt").string();
    ResetTableScript();
    EXPECT_EQ(CachedTableScript(), "");  // missing

    ::mkfifo(g_strScriptFile.c_str(), 0600);  // a pipe nobody writes: never read, never waited on
    EXPECT_EQ(CachedTableScript(), "");
    std::filesystem::remove(g_strScriptFile);
    std::filesystem::create_directory(g_strScriptFile);  // unreadable as a file
    EXPECT_EQ(CachedTableScript(), "");
    std::filesystem::remove(g_strScriptFile);

    WriteFileBytes(g_strScriptFile, "Call(Store)\nCall(Index)\r\nEnd");
    EXPECT_EQ(CachedTableScript(), "Call(Store)\r\nCall(Index)\r\nEnd\r\n");
    WriteFileBytes(g_strScriptFile, "changed");
    EXPECT_EQ(CachedTableScript(), "Call(Store)\r\nCall(Index)\r\nEnd\r\n");
    ResetTableScript();
    g_strScriptFile = "pcode.txt";
}

}  // namespace

}  // namespace mirabel
