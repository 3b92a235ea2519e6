#pragma once
// What the database tests share: a fresh current directory (the logs land there) and a clean
// connection layer for every test, and readers for the logs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "db/DatabaseLayer.h"
#include "app/ProcessState.h"
#include "fixtures/TempDir.h"
#include "log/Logs.h"

namespace mirabel {

// The table Twins, without a key, holds ('x', 1) twice and then ('z', 2).
inline constexpr const char* kTwinsTable =
    "CREATE TABLE Twins (A VARCHAR(9), B INTEGER); "
    "INSERT INTO Twins VALUES ('x', 1), ('x', 1), ('z', 2);";

// Through rs (all of Twins, ordered by B): changes the first twin, which cannot be told apart
// from the other, then the third row, which can.
inline void ChangeATwinThenTheThirdRow(CAdoRecordset* rs) {
    SetFieldValue(rs, "A", "y");
    Update(rs);
    EXPECT_EQ(g_bDbError, 1);
    MoveToRow(rs, 2);
    SetFieldValue(rs, "A", "w");
    Update(rs);
    EXPECT_EQ(g_bDbError, 0);
}

class DbTest : public ::testing::Test {
  protected:
    DbTest() : cwd_(dir_.path()) { ResetProcessState(); }
    ~DbTest() override { ResetProcessState(); }

    // The error log's entries, without their time stamps.
    std::vector<std::string> ErrorLines() const { return Entries(kErrorLogFile); }
    std::string DebugText() const { return ReadFileBytes(dir_ / kDebugLogFile); }
    std::filesystem::path Path(const std::string& name) const { return dir_ / name; }

    static std::vector<std::string> Entries(const std::string& file) {
        std::vector<std::string> entries;
        std::istringstream in(ReadFileBytes(file));
        for (std::string line; std::getline(in, line);) {
            // Entries start with "MM/DD/YYYY HH:MM:SS "; continuation lines are kept with them.
            const bool stamped =
                line.size() > 20 && line[2] == '/' && line[5] == '/' && line[19] == ' ';
            if (stamped)
                entries.push_back(line.substr(20));
            else if (!entries.empty())
                entries.back() += "\n" + line;
        }
        for (auto& entry : entries)
            while (!entry.empty() && (entry.back() == '\r' || entry.back() == '\n'))
                entry.pop_back();
        return entries;
    }

    TempDir dir_;
    ScopedCurrentDir cwd_;
};

}  // namespace mirabel
