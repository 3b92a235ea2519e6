// Changes through a recordset: AddNew/SetFieldValue/Update become an INSERT, or an UPDATE of
// exactly the current row, on the single table the recordset's statement reads.
#include <regex>

#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/LayerFailure.h"

namespace mirabel {

namespace {

// "SELECT ... FROM Labels [WHERE ...]" -> Labels. Joins and lists of tables cannot be updated.
std::string SingleBaseTable(const std::string& statement) {
    static const std::regex fromClause(
        R"(^\s*SELECT\b[\s\S]*?\bFROM\s+\[?([A-Za-z0-9_. ]+?)\]?\s*(?:$|;|\bWHERE\b|\bORDER\b))",
        std::regex::icase);
    std::smatch match;
    if (!std::regex_search(statement, match, fromClause))
        throw DbFailure("The recordset cannot be updated: it does not read a single table.");
    std::string table = match[1].str();
    return table.find(' ') == std::string::npos ? table : QuotedName(table);
}

BoundValue ValueFor(const CAdoRecordset* rs, int column, std::optional<std::string> text) {
    return {std::move(text), rs->cursor->Columns()[static_cast<std::size_t>(column)].nativeType};
}

// The columns that identify the current row: the table's primary key when the statement reads
// all of it, otherwise every column that can be compared exactly.
const std::vector<std::string>& PrimaryKeyOf(CAdoDatabase& db, const std::string& table) {
    auto known = db.primaryKeys.find(table);
    if (known == db.primaryKeys.end())
        known = db.primaryKeys.emplace(table, db.connection->PrimaryKey(table)).first;
    return known->second;
}

std::vector<int> RowIdentifyingColumns(CAdoRecordset* rs, const std::string& table) {
    std::vector<int> key;
    for (const std::string& name : PrimaryKeyOf(*rs->owner, table)) {
        try {
            key.push_back(RequireColumn(rs, name));
        } catch (const DbFailure&) {
            key.clear();
            break;
        }
    }
    if (!key.empty()) return key;
    const auto& columns = rs->cursor->Columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].matchable) key.push_back(static_cast<int>(i));
    return key;
}

// Undoes the transaction it began unless Commit was reached.
class ChangeTransaction {
  public:
    explicit ChangeTransaction(DbConnection& connection) : connection_(connection) {
        connection_.BeginTransaction();
    }
    ~ChangeTransaction() {
        if (!committed_) connection_.RollbackTransaction();
    }
    ChangeTransaction(const ChangeTransaction&) = delete;
    ChangeTransaction& operator=(const ChangeTransaction&) = delete;
    void Commit() {
        connection_.CommitTransaction();
        committed_ = true;
    }

  private:
    DbConnection& connection_;
    bool committed_ = false;
};

// Without a key the row is found by its values, and identical rows cannot be told apart: the
// UPDATE runs in a transaction that is kept only when it changed exactly one row, so that a
// failure leaves every row as it was.
void ChangeExactlyOneRow(DbConnection& connection, const std::string& sql,
                         const std::vector<BoundValue>& values) {
    ChangeTransaction transaction(connection);
    if (connection.Change(sql, values) != 1) throw DbFailure(kRowNotFoundText);
    transaction.Commit();
}

void InsertNewRow(CAdoRecordset* rs, const std::string& table) {
    std::string names, marks;
    std::vector<BoundValue> values;
    for (const auto& [column, text] : rs->pendingValues) {
        names += (names.empty() ? "" : ", ") + QuotedName(rs->cursor->Columns()[column].name);
        marks += marks.empty() ? "?" : ", ?";
        values.push_back(ValueFor(rs, column, text));
    }
    const std::string sql =
        names.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                      : "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
    rs->owner->connection->Change(sql, values);
}

void UpdateCurrentRow(CAdoRecordset* rs, const std::string& table) {
    if (rs->eof) throw DbFailure(kNoCurrentRowText);
    std::string assignments, conditions;
    std::vector<BoundValue> values;
    for (const auto& [column, text] : rs->pendingValues) {
        assignments += (assignments.empty() ? "" : ", ") +
                       QuotedName(rs->cursor->Columns()[column].name) + " = ?";
        values.push_back(ValueFor(rs, column, text));
    }
    for (int column : RowIdentifyingColumns(rs, table)) {
        const std::string name = QuotedName(rs->cursor->Columns()[column].name);
        std::optional<std::string> stored = rs->cursor->StoredText(column);
        conditions += conditions.empty() ? "" : " AND ";
        if (!stored) {
            conditions += name + " IS NULL";
            continue;
        }
        conditions += name + " = ?";
        values.push_back(ValueFor(rs, column, std::move(stored)));
    }
    if (conditions.empty()) throw DbFailure(kRowNotFoundText);
    const std::string sql = "UPDATE " + table + " SET " + assignments + " WHERE " + conditions;
    ChangeExactlyOneRow(*rs->owner->connection, sql, values);
}

}  // namespace

void AddNew(CAdoRecordset* rs) {
    RunLayerOperation([&] {
        RequireCursor(rs);
        rs->adding = true;
        rs->pendingValues.clear();
    });
}

void SetFieldValue(CAdoRecordset* rs, std::string field, std::string value) {
    if (g_bOracleSyntax) field = TranslateFieldName(std::move(field));
    RunLayerOperation([&] {
        const int column = RequireColumn(rs, field);
        if (!rs->adding && rs->eof) throw DbFailure(kNoCurrentRowText);
        for (auto& pending : rs->pendingValues) {
            if (pending.first != column) continue;
            pending.second = std::move(value);
            return;
        }
        rs->pendingValues.emplace_back(column, std::move(value));
    });
}

void Update(CAdoRecordset* rs) {
    RunLayerOperation([&] {
        RequireCursor(rs);
        const bool adding = rs->adding;
        rs->adding = false;
        if (!adding && rs->pendingValues.empty()) return;
        const std::string table = SingleBaseTable(rs->statement);
        if (adding)
            InsertNewRow(rs, table);
        else
            UpdateCurrentRow(rs, table);
        rs->pendingValues.clear();
    });
}

}  // namespace mirabel
