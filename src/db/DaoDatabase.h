#pragma once
// The small wrapper set over which the temporary-study database ("tempstudies.mdb") is read.
// Statements go to the engine unchanged (no dialect translation). Failures are thrown as
// DaoException; the wrappers log nothing themselves.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/DbEngine.h"

namespace mirabel {

inline constexpr const char* kTempStudiesDatabaseFile = "tempstudies.mdb";

class DaoException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct CDaoDatabase {
    std::unique_ptr<DbConnection> connection;
};

struct CDaoRecordset {
    CDaoDatabase* database = nullptr;
    std::unique_ptr<DbCursor> cursor;
};

std::unique_ptr<CDaoDatabase> CreateDaoDatabase();
// Opens the file (read and write, shared) with the connect text ";PWD=" + password; its
// statements wait up to kSideDatabaseQueryTimeoutSeconds for a file another program holds.
void OpenDaoDatabase(CDaoDatabase& db, const std::string& file, const std::string& password);
std::unique_ptr<CDaoRecordset> CreateDaoRecordset(CDaoDatabase& db);
void OpenDaoRecordset(CDaoRecordset& rs, const std::string& statement);
// Empties the output and appends the field's text of each row up to maxRows (NULL reads as "").
// Returns the number of values read.
int GetDaoColumn(CDaoRecordset& rs, const std::string& field, std::vector<std::string>& output,
                 int maxRows);
void CloseDaoRecordset(CDaoRecordset& rs);
void CloseDaoDatabase(CDaoDatabase& db);

}  // namespace mirabel
