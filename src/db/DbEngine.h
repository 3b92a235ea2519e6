#pragma once
// The engine interface behind the connection layer. Two engines implement it: the embedded
// SQLite engine and the ODBC engine. Engines report failures by throwing DbFailure with the
// text that goes to the error log; the layer above never lets it escape to its callers.
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/Variant.h"

namespace mirabel {

// The label and temporary-study databases wait this long for a statement (the image-system
// database keeps its engine's own wait).
inline constexpr int kSideDatabaseQueryTimeoutSeconds = 60;

class DbFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ColumnInfo {
    std::string name;
    int nativeType = 0;     // the engine's own type code, handed back when binding values
    bool matchable = true;  // usable to find the row again (not a blob or a float)
};

// A text value bound to a statement parameter; nullopt binds NULL.
struct BoundValue {
    std::optional<std::string> text;
    int nativeType = 0;
};

// Rows of one statement, read forward. The first row is fetched by the first Fetch.
class DbCursor {
  public:
    virtual ~DbCursor() = default;
    virtual const std::vector<ColumnInfo>& Columns() const = 0;
    // Steps to the next row; false when there is none.
    virtual bool Fetch() = 0;
    // Runs the statement again: the next Fetch gives the first row.
    virtual void Rewind() = 0;
    // The value of a column of the current row.
    virtual Variant Value(int column) = 0;
    // The same as text (VariantToString), written into `text`: a reader of many rows keeps one
    // text a column, whose room serves row after row.
    virtual void ValueText(int column, std::string& text) { text = VariantToString(Value(column)); }
    // The stored text of a column of the current row (nullopt for NULL), used to find the row
    // again in an UPDATE.
    virtual std::optional<std::string> StoredText(int column) = 0;
};

// A change of one row (ChangeRows).
struct RowChange {
    std::string statement;
    std::vector<BoundValue> params;
};

// One row of a table, named by a numeric key, for ProveRowWritable.
struct RowProbe {
    std::string table;
    std::string keyColumn;
    std::string key;     // numeric: it goes into the statement as it is
    std::string column;  // the column that is to be written later
};

class DbConnection {
  public:
    virtual ~DbConnection() = default;
    // Runs a statement. Returns its rows, or null when it returns no result set (ALTER ...).
    virtual std::unique_ptr<DbCursor> Run(const std::string& statement) = 0;
    // Runs a statement with '?' parameters; returns the number of rows changed.
    virtual long Change(const std::string& statement, const std::vector<BoundValue>& params) = 0;
    // The primary-key columns of a table; empty when it has none or they cannot be read.
    virtual std::vector<std::string> PrimaryKey(const std::string& table) = 0;

    // How long a statement may wait, for a database file another program holds locked too.
    virtual void SetQueryTimeout(int seconds) = 0;

    // Many small commits follow, each of which must be durable when it returns. An engine whose
    // commits create and remove a file of their own may keep that file until the connection
    // closes; the default does nothing.
    virtual void ExpectManyCommits() {}

    // A transaction around the changes that follow: they stay invisible to others until
    // CommitTransaction and are undone by RollbackTransaction. Begin and Commit throw
    // DbFailure; Rollback is a way out after a failure and never throws.
    virtual void BeginTransaction() = 0;
    virtual void CommitTransaction() = 0;
    virtual void RollbackTransaction() noexcept = 0;

    // Runs changes in one transaction of their own that waits for other writers as long as the
    // query timeout allows, each meant to change one row. Returns the rows each changed: 1, or 0
    // when its row is missing; throws DbFailure when one matched more rows (all undone) or a
    // change or the commit failed.
    virtual std::vector<long> ChangeRows(const std::vector<RowChange>& changes) = 0;
    long ChangeOneRow(const std::string& statement, const std::vector<BoundValue>& params) {
        return ChangeRows({RowChange{statement, params}}).front();
    }

    // Proves that the row could be written now, without changing it and without firing
    // anything the database would run on a change: the row is locked (or, on a database file,
    // the file's write lock taken and the row written to its own value) inside a transaction
    // that is rolled back at once. Throws DbFailure with the reason when it could not.
    virtual void ProveRowWritable(const RowProbe& probe) = 0;
};

// The changes one after the other, inside the caller's transaction: the rows each changed.
// Throws DbFailure when one matched more than one row.
inline std::vector<long> ChangeEach(DbConnection& connection,
                                    const std::vector<RowChange>& changes) {
    std::vector<long> changed;
    for (const RowChange& change : changes) {
        changed.push_back(connection.Change(change.statement, change.params));
        if (changed.back() > 1) throw DbFailure("The change would have written more than one row.");
    }
    return changed;
}

}  // namespace mirabel
