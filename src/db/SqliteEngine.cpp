#include "db/SqliteEngine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <regex>

#include "core/Text.h"
#include "db/DialectTranslation.h"
#include "db/ReadOnlyConnections.h"
#include "db/SqliteHandles.h"

namespace mirabel {

namespace {

constexpr int kBusyTimeoutMs = 1000;  // a locked file fails after this wait, unless set otherwise
constexpr std::size_t kStorageClasses = SQLITE_NULL + 1;

std::string Upper(const char* text) {
    return ToAsciiUpper(text ? text : "");
}

bool DeclaredAsDate(const std::string& declared) {
    return declared.find("DATE") != std::string::npos || declared.find("TIME") != std::string::npos;
}

bool DeclaredAsOneOf(const std::string& declared, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const char* name) { return declared.find(name) != std::string::npos; });
}

// SQLite integers are 64-bit; one that does not fit a 32-bit column value keeps its digits.
Variant IntegerVariant(std::uint16_t type, std::int64_t value) {
    if (type == VT_I4 && (value < INT32_MIN || value > INT32_MAX)) {
        Variant wide = Variant::Of(VT_DECIMAL);
        wide.decimal.negative = value < 0;
        wide.decimal.mantissa =
            value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        return wide;
    }
    return Variant::Integer(type, value);
}

// The digits of a value that fits a 32-bit column value, as VariantToString writes them; false
// (text untouched) for one that does not.
bool AssignInt32(std::int64_t value, std::string& text) {
    if (value < INT32_MIN || value > INT32_MAX) return false;
    char digits[16];
    text.assign(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    return true;
}

[[noreturn]] void Fail(sqlite3* db) {
    throw DbFailure(sqlite3_errmsg(db));
}

class SqliteCursor final : public DbCursor {
  public:
    SqliteCursor(sqlite3* db, SqliteStatementHandle statement)
        : db_(db), statement_(std::move(statement)) {
        sqlite3_stmt* s = statement_.get();
        const int count = sqlite3_column_count(s);
        for (int i = 0; i < count; ++i) {
            const char* declared = sqlite3_column_decltype(s, i);
            const std::string upper = Upper(declared);
            const bool matchable = !DeclaredAsOneOf(upper, {"BLOB", "REAL", "FLOA", "DOUB"});
            columns_.push_back({sqlite3_column_name(s, i), 0, matchable});
            // The type of each storage class in this column, worked out once, not per value.
            std::array<std::uint16_t, kStorageClasses> types{};
            for (int storage = SQLITE_INTEGER; storage <= SQLITE_NULL; ++storage)
                types[static_cast<std::size_t>(storage)] = SqliteVariantType(storage, declared);
            variantTypes_.push_back(types);
        }
    }

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    // The first row was already stepped by Run (it decides whether rows come back at all).
    bool Fetch() override {
        if (firstStepPending_) {
            firstStepPending_ = false;
            return lastStep_ == SQLITE_ROW;
        }
        lastStep_ = sqlite3_step(statement_.get());
        if (lastStep_ != SQLITE_ROW && lastStep_ != SQLITE_DONE) Fail(db_);
        return lastStep_ == SQLITE_ROW;
    }

    void Rewind() override {
        sqlite3_reset(statement_.get());
        firstStepPending_ = false;
    }

    void StepFirst() {
        lastStep_ = sqlite3_step(statement_.get());
        if (lastStep_ != SQLITE_ROW && lastStep_ != SQLITE_DONE) Fail(db_);
        firstStepPending_ = true;
    }

    Variant Value(int column) override {
        sqlite3_stmt* s = statement_.get();
        const std::uint16_t type = TypeOf(column);
        switch (type) {
            case VT_NULL:
                return Variant::Null();
            case VT_BSTR:
                return Variant::Text(ColumnText(column));
            case VT_DATE: {
                DateTime date;
                if (ParseDateTime(ColumnView(column), date)) return Variant::Date(date);
                return Variant::Text(ColumnText(column));
            }
            case VT_R8:
                return Variant::Real(sqlite3_column_double(s, column));
            case VT_BOOL:
                return Variant::Bool(sqlite3_column_int64(s, column) != 0);
            case VT_CY:
                return Variant::Integer(VT_CY,
                                        std::llround(sqlite3_column_double(s, column) * 10000.0));
            case VT_ARRAY | VT_UI1: {
                const auto* data =
                    static_cast<const unsigned char*>(sqlite3_column_blob(s, column));
                Variant bytes = Variant::Of(VT_ARRAY | VT_UI1);
                bytes.bytes.assign(data, data + sqlite3_column_bytes(s, column));
                return bytes;
            }
            default:
                return IntegerVariant(type, sqlite3_column_int64(s, column));
        }
    }

    // Texts, dates and ids, most of what a selection reads, go straight from the row into `text`.
    void ValueText(int column, std::string& text) override {
        const std::uint16_t type = TypeOf(column);
        DateTime date;
        if (type == VT_DATE && ParseDateTime(ColumnView(column), date))
            FormatVariantDate(date, text);
        else if (type == VT_BSTR || type == VT_DATE)
            text.assign(ColumnView(column));
        else if (type != VT_I4 ||
                 !AssignInt32(sqlite3_column_int64(statement_.get(), column), text))
            text = VariantToString(Value(column));
    }

    std::optional<std::string> StoredText(int column) override {
        if (sqlite3_column_type(statement_.get(), column) == SQLITE_NULL) return std::nullopt;
        return ColumnText(column);
    }

  private:
    std::uint16_t TypeOf(int column) {
        const int storage = sqlite3_column_type(statement_.get(), column);
        return variantTypes_[static_cast<std::size_t>(column)][static_cast<std::size_t>(storage)];
    }

    std::string ColumnText(int column) { return std::string(ColumnView(column)); }

    std::string_view ColumnView(int column) {
        const auto* text = sqlite3_column_text(statement_.get(), column);
        const auto length =
            static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column));
        return text ? std::string_view(reinterpret_cast<const char*>(text), length)
                    : std::string_view();
    }

    sqlite3* db_;
    SqliteStatementHandle statement_;
    std::vector<ColumnInfo> columns_;
    std::vector<std::array<std::uint16_t, kStorageClasses>> variantTypes_;
    int lastStep_ = SQLITE_DONE;
    bool firstStepPending_ = false;
};

class SqliteConnection final : public DbConnection {
  public:
    explicit SqliteConnection(SqliteDatabaseHandle db) : db_(std::move(db)) {}
    ~SqliteConnection() override {
        // The file goes with the connection, as it would have after every commit.
        if (journalKept_)
            sqlite3_exec(db_.get(), "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    }
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    std::unique_ptr<DbCursor> Run(const std::string& statement) override {
        auto cursor = std::make_unique<SqliteCursor>(db_.get(), Prepare(statement));
        cursor->StepFirst();
        if (cursor->Columns().empty()) return nullptr;
        return cursor;
    }

    long Change(const std::string& statement, const std::vector<BoundValue>& params) override {
        SqliteStatementHandle prepared = Prepare(statement);
        for (std::size_t i = 0; i < params.size(); ++i) {
            const int index = static_cast<int>(i + 1);
            const int rc =
                params[i].text
                    ? sqlite3_bind_text(prepared.get(), index, params[i].text->c_str(),
                                        static_cast<int>(params[i].text->size()), SQLITE_TRANSIENT)
                    : sqlite3_bind_null(prepared.get(), index);
            if (rc != SQLITE_OK) Fail(db_.get());
        }
        if (sqlite3_step(prepared.get()) != SQLITE_DONE) Fail(db_.get());
        return sqlite3_changes(db_.get());
    }

    std::vector<std::string> PrimaryKey(const std::string& table) override {
        std::vector<std::string> key;
        SqliteStatementHandle info =
            Prepare("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk");
        sqlite3_bind_text(info.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(info.get()) == SQLITE_ROW)
            key.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
        return key;
    }

    void SetQueryTimeout(int seconds) override { sqlite3_busy_timeout(db_.get(), seconds * 1000); }

    // A commit in the default journal mode creates the rollback journal and deletes it again,
    // which costs more than the commit's own writes on many file systems. Kept in place with
    // its header cleared, the journal is just as safe: a cleared header never rolls anything
    // back. Only the default mode is changed; a file in WAL mode (a setting stored in the file,
    // and the image system's to choose) stays as it is. Failing here only loses the speed.
    void ExpectManyCommits() override {
        if (journalKept_ || JournalMode() != "delete") return;
        journalKept_ = sqlite3_exec(db_.get(), "PRAGMA journal_mode=PERSIST", nullptr, nullptr,
                                    nullptr) == SQLITE_OK &&
                       JournalMode() == "persist";
    }

    // A savepoint rather than BEGIN: it also works while a recordset's statement still reads.
    void BeginTransaction() override { Execute("SAVEPOINT mirabel_change"); }
    void CommitTransaction() override { Execute("RELEASE mirabel_change"); }
    void RollbackTransaction() noexcept override {
        sqlite3_exec(db_.get(), "ROLLBACK TO mirabel_change; RELEASE mirabel_change", nullptr,
                     nullptr, nullptr);
    }

    // BEGIN IMMEDIATE takes the file's write lock at once, from a connection that holds no
    // read lock, so the busy timeout is honoured: a read lock that had to be raised to a write
    // lock would be refused at once whenever another program is writing.
    std::vector<long> ChangeRows(const std::vector<RowChange>& changes) override {
        Execute("BEGIN IMMEDIATE");
        try {
            const std::vector<long> changed = ChangeEach(*this, changes);
            Execute(std::count(changed.begin(), changed.end(), 1) ? "COMMIT" : "ROLLBACK");
            return changed;
        } catch (...) {
            sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

    void ProveRowWritable(const RowProbe& probe) override {
        const std::string column = QuotedName(probe.column);
        Execute("BEGIN IMMEDIATE");
        try {
            Change("UPDATE " + QuotedName(probe.table) + " SET " + column + " = " + column +
                       " WHERE " + QuotedName(probe.keyColumn) + " = " + probe.key,
                   {});
        } catch (...) {
            sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }

  private:
    // The connection's journal mode in lower case, or "" when it cannot be read.
    std::string JournalMode() noexcept {
        std::string mode;
        sqlite3_exec(
            db_.get(), "PRAGMA journal_mode",
            [](void* out, int columns, char** values, char**) {
                if (columns > 0 && values[0]) *static_cast<std::string*>(out) = values[0];
                return 0;
            },
            &mode, nullptr);
        return mode;
    }

    void Execute(const char* sql) {
        if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db_.get());
    }

    SqliteStatementHandle Prepare(const std::string& statement) {
        const std::string sql = RewriteAccessDateLiterals(statement);
        sqlite3_stmt* prepared = nullptr;
        if (sqlite3_prepare_v2(db_.get(), sql.c_str(), static_cast<int>(sql.size()), &prepared,
                               nullptr) != SQLITE_OK)
            Fail(db_.get());
        if (prepared == nullptr) throw DbFailure("empty statement");
        return SqliteStatementHandle(prepared);
    }

    SqliteDatabaseHandle db_;
    bool journalKept_ = false;  // switched to PERSIST by ExpectManyCommits
};

}  // namespace

bool IsSqliteFile(const std::filesystem::path& file) {
    static constexpr char kHeader[16] = "SQLite format 3";  // with its terminating NUL
    char header[16] = {};
    std::ifstream in(file, std::ios::binary);
    return in.read(header, sizeof header) && std::memcmp(header, kHeader, sizeof header) == 0;
}

std::unique_ptr<DbConnection> OpenSqliteDatabase(const std::filesystem::path& file) {
    sqlite3* raw = nullptr;
    // One connection serves one thread: no per-call locking.
    const int access = ConnectionsAreReadOnly() ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, access | SQLITE_OPEN_NOMUTEX, nullptr);
    SqliteDatabaseHandle db(raw);
    if (rc != SQLITE_OK) {
        const std::string reason = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        throw DbFailure("Could not open '" + file.string() + "': " + reason);
    }
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    return std::make_unique<SqliteConnection>(std::move(db));
}

std::string RewriteAccessDateLiterals(const std::string& statement) {
    static const std::regex literal(R"(#(\d{1,2}/\d{1,2}/\d{4}(?: \d{1,2}:\d{2}(?::\d{2})?)?)#)");
    std::string result;
    auto last = statement.cbegin();
    for (std::sregex_iterator it(statement.begin(), statement.end(), literal), end; it != end;
         ++it) {
        DateTime date;
        if (!ParseDateTime((*it)[1].str(), date)) continue;
        result.append(last, (*it)[0].first);
        result += "'" + FormatIsoDateTime(date) + "'";
        last = (*it)[0].second;
    }
    result.append(last, statement.cend());
    return result;
}

// Declared type refines the storage class: dates, yes/no, small integers and currency are
// stored as text or integers but are values of their own kind.
std::uint16_t SqliteVariantType(int storageClass, const char* declaredType) {
    const std::string declared = Upper(declaredType);
    switch (storageClass) {
        case SQLITE_NULL:
            return VT_NULL;
        case SQLITE_BLOB:
            return VT_ARRAY | VT_UI1;
        case SQLITE_TEXT:
            return DeclaredAsDate(declared) ? VT_DATE : VT_BSTR;
        case SQLITE_FLOAT:
            return DeclaredAsOneOf(declared, {"CURRENCY", "MONEY"}) ? VT_CY : VT_R8;
        default:  // SQLITE_INTEGER
            if (DeclaredAsOneOf(declared, {"BOOL", "BIT", "YESNO"})) return VT_BOOL;
            if (DeclaredAsOneOf(declared, {"SMALLINT", "TINYINT", "BYTE"})) return VT_I2;
            if (DeclaredAsOneOf(declared, {"CURRENCY", "MONEY"})) return VT_CY;
            return VT_I4;
    }
}

}  // namespace mirabel
