#include "db/DaoDatabase.h"

#include "core/Text.h"
#include "db/DatabaseFile.h"

namespace mirabel {

namespace {

template <typename Body>
auto AsDaoFailure(Body&& body) {
    try {
        return body();
    } catch (const DbFailure& failure) {
        throw DaoException(failure.what());
    }
}

int FindField(const DbCursor& cursor, const std::string& field) {
    const auto& columns = cursor.Columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (EqualIgnoringCase(columns[i].name, field)) return static_cast<int>(i);
    throw DaoException("Item not found in this collection.");
}

}  // namespace

std::unique_ptr<CDaoDatabase> CreateDaoDatabase() {
    return std::make_unique<CDaoDatabase>();
}

void OpenDaoDatabase(CDaoDatabase& db, const std::string& file, const std::string& password) {
    db.connection = AsDaoFailure([&] { return OpenDatabaseFile(file, password); });
    db.connection->SetQueryTimeout(kSideDatabaseQueryTimeoutSeconds);
}

std::unique_ptr<CDaoRecordset> CreateDaoRecordset(CDaoDatabase& db) {
    auto rs = std::make_unique<CDaoRecordset>();
    rs->database = &db;
    return rs;
}

void OpenDaoRecordset(CDaoRecordset& rs, const std::string& statement) {
    if (rs.database == nullptr || !rs.database->connection)
        throw DaoException("Object is invalid or not set.");
    rs.cursor = AsDaoFailure([&] { return rs.database->connection->Run(statement); });
    if (!rs.cursor) throw DaoException("The statement returned no records.");
}

int GetDaoColumn(CDaoRecordset& rs, const std::string& field, std::vector<std::string>& output,
                 int maxRows) {
    output.clear();
    if (!rs.cursor) throw DaoException("Object is invalid or not set.");
    if (maxRows <= 0) return 0;
    // An empty result is read before the field is looked for, as DAO does.
    if (!AsDaoFailure([&] { return rs.cursor->Fetch(); })) return 0;
    const int column = FindField(*rs.cursor, field);
    AsDaoFailure([&] {
        do {
            std::string text = VariantToString(rs.cursor->Value(column));
            output.push_back(text == "NULL" ? std::string() : std::move(text));
        } while (static_cast<int>(output.size()) < maxRows && rs.cursor->Fetch());
    });
    return static_cast<int>(output.size());
}

void CloseDaoRecordset(CDaoRecordset& rs) {
    rs.cursor.reset();
}

void CloseDaoDatabase(CDaoDatabase& db) {
    db.connection.reset();
}

}  // namespace mirabel
