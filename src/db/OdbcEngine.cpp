#include "db/OdbcEngine.h"

#include <algorithm>
#include <cctype>

#include <cstdlib>

#include "core/Text.h"
#include "db/OdbcHandles.h"
#include "db/ReadOnlyConnections.h"

namespace mirabel {

namespace {

constexpr SQLULEN kLoginTimeoutSeconds = 15;

// The driver's own texts of the last failure on a handle, one record after another on one line:
// the text goes to the error log, one entry a failure.
std::string Diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::string text;
    SQLCHAR state[6] = {};
    SQLCHAR message[1024] = {};
    SQLINTEGER nativeError = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1; SQL_SUCCEEDED(SQLGetDiagRec(
             handleType, handle, record, state, &nativeError, message, sizeof message, &length));
         ++record) {
        if (!text.empty()) text += "; ";
        text += reinterpret_cast<const char*>(message);
    }
    return text.empty() ? "ODBC call failed" : text;
}

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
    if (!SQL_SUCCEEDED(rc)) throw DbFailure(Diagnostics(handleType, handle));
}

OdbcEnvironmentHandle NewEnvironment() {
    OdbcEnvironmentHandle env;
    if (!SQL_SUCCEEDED(env.Allocate(SQL_NULL_HANDLE)))
        throw DbFailure("The ODBC driver manager could not be loaded");
    SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return env;
}

bool IsBinary(SQLSMALLINT sqlType) {
    return sqlType == SQL_BINARY || sqlType == SQL_VARBINARY || sqlType == SQL_LONGVARBINARY;
}

bool IsFloating(SQLSMALLINT sqlType) {
    return sqlType == SQL_REAL || sqlType == SQL_FLOAT || sqlType == SQL_DOUBLE;
}

// Reads one column of the current row whole, in as many pieces as the driver hands out.
std::optional<std::string> GetColumnData(SQLHSTMT statement, SQLUSMALLINT column, bool binary) {
    std::string value;
    char buffer[4096];
    const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_CHAR;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(statement, column, cType, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        Check(rc, SQL_HANDLE_STMT, statement);
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        // Text pieces end in a NUL that is not part of the value.
        const std::size_t room = binary ? sizeof buffer : sizeof buffer - 1;
        const std::size_t piece =
            (indicator == SQL_NO_TOTAL || static_cast<std::size_t>(indicator) > room)
                ? room
                : static_cast<std::size_t>(indicator);
        value.append(buffer, piece);
        if (rc == SQL_SUCCESS) break;
    }
    return value;
}

class OdbcCursor final : public DbCursor {
  public:
    explicit OdbcCursor(OdbcStatementHandle statement) : statement_(std::move(statement)) {
        SQLSMALLINT count = 0;
        SQLNumResultCols(statement_.get(), &count);
        for (SQLSMALLINT i = 1; i <= count; ++i) {
            SQLCHAR name[256] = {};
            SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            Check(SQLDescribeCol(statement_.get(), static_cast<SQLUSMALLINT>(i), name, sizeof name,
                                 &nameLength, &sqlType, &size, &digits, &nullable),
                  SQL_HANDLE_STMT, statement_.get());
            columns_.push_back({reinterpret_cast<const char*>(name), sqlType,
                                !IsBinary(sqlType) && !IsFloating(sqlType)});
        }
    }

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    bool Fetch() override {
        row_.clear();
        const SQLRETURN rc = SQLFetch(statement_.get());
        if (rc == SQL_NO_DATA) return false;
        Check(rc, SQL_HANDLE_STMT, statement_.get());
        return true;
    }

    void Rewind() override {
        row_.clear();
        SQLCloseCursor(statement_.get());
        Check(SQLExecute(statement_.get()), SQL_HANDLE_STMT, statement_.get());
    }

    Variant Value(int column) override {
        std::optional<std::string> text = StoredText(column);
        if (!text) return Variant::Null();
        return OdbcTextToVariant(columns_[static_cast<std::size_t>(column)].nativeType,
                                 std::move(*text));
    }

    // Drivers hand out the columns of a row in ascending order only, so a row is read up to
    // the column asked for and kept until the next fetch.
    std::optional<std::string> StoredText(int column) override {
        while (static_cast<int>(row_.size()) <= column) {
            const auto index = row_.size();
            row_.push_back(
                GetColumnData(statement_.get(), static_cast<SQLUSMALLINT>(index + 1),
                              IsBinary(static_cast<SQLSMALLINT>(columns_[index].nativeType))));
        }
        return row_[static_cast<std::size_t>(column)];
    }

  private:
    OdbcStatementHandle statement_;
    std::vector<ColumnInfo> columns_;
    std::vector<std::optional<std::string>> row_;
};

class OdbcConnection final : public DbConnection {
  public:
    OdbcConnection(OdbcEnvironmentHandle env, OdbcConnectionHandle dbc)
        : env_(std::move(env)), dbc_(std::move(dbc)) {}

    std::unique_ptr<DbCursor> Run(const std::string& sql) override {
        OdbcStatementHandle statement = Prepare(sql);
        Check(SQLExecute(statement.get()), SQL_HANDLE_STMT, statement.get());
        SQLSMALLINT columns = 0;
        SQLNumResultCols(statement.get(), &columns);
        if (columns == 0) return nullptr;
        return std::make_unique<OdbcCursor>(std::move(statement));
    }

    long Change(const std::string& sql, const std::vector<BoundValue>& params) override {
        OdbcStatementHandle statement = Prepare(sql);
        std::vector<SQLLEN> indicators(params.size());
        for (std::size_t i = 0; i < params.size(); ++i) {
            const BoundValue& param = params[i];
            indicators[i] = param.text ? static_cast<SQLLEN>(param.text->size()) : SQL_NULL_DATA;
            const SQLSMALLINT sqlType =
                param.nativeType != 0 ? static_cast<SQLSMALLINT>(param.nativeType) : SQL_VARCHAR;
            const SQLULEN size = param.text ? std::max<SQLULEN>(param.text->size(), 1) : 1;
            Check(SQLBindParameter(statement.get(), static_cast<SQLUSMALLINT>(i + 1),
                                   SQL_PARAM_INPUT, SQL_C_CHAR, sqlType, size, 0,
                                   param.text ? const_cast<char*>(param.text->data()) : nullptr,
                                   static_cast<SQLLEN>(size), &indicators[i]),
                  SQL_HANDLE_STMT, statement.get());
        }
        const SQLRETURN rc = SQLExecute(statement.get());
        if (rc != SQL_NO_DATA) Check(rc, SQL_HANDLE_STMT, statement.get());
        SQLLEN changed = 0;
        SQLRowCount(statement.get(), &changed);
        return static_cast<long>(changed);
    }

    // Catalog names are matched exactly by most drivers, and servers fold unquoted names
    // differently (PostgreSQL to lower, Oracle to upper case): try the name as written first.
    std::vector<std::string> PrimaryKey(const std::string& table) override {
        for (const std::string& name : {table, ToAsciiLower(table), ToAsciiUpper(table)}) {
            std::vector<std::string> key = PrimaryKeyAsSpelled(name);
            if (!key.empty()) return key;
        }
        return {};
    }

    void SetQueryTimeout(int seconds) override { queryTimeoutSeconds_ = seconds; }

    // ODBC has no BEGIN: switching automatic commits off starts the transaction, and they are
    // switched on again when it ends, so that every other change commits on its own as before.
    void BeginTransaction() override {
        Check(SetAutoCommit(SQL_AUTOCOMMIT_OFF), SQL_HANDLE_DBC, dbc_.get());
    }
    void CommitTransaction() override {
        Check(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_COMMIT), SQL_HANDLE_DBC, dbc_.get());
        Check(SetAutoCommit(SQL_AUTOCOMMIT_ON), SQL_HANDLE_DBC, dbc_.get());
    }
    void RollbackTransaction() noexcept override {
        SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_ROLLBACK);
        SetAutoCommit(SQL_AUTOCOMMIT_ON);
    }

    std::vector<long> ChangeRows(const std::vector<RowChange>& changes) override {
        BeginTransaction();
        try {
            const std::vector<long> changed = ChangeEach(*this, changes);
            if (std::count(changed.begin(), changed.end(), 1))
                CommitTransaction();
            else
                RollbackTransaction();
            return changed;
        } catch (...) {
            RollbackTransaction();
            throw;
        }
    }

    // Server databases lock the row without waiting (NOWAIT): an UPDATE, even to the same
    // value, would fire the image system's triggers. An Access file behind ODBC has none.
    void ProveRowWritable(const RowProbe& probe) override {
        const std::string dbms = ToAsciiUpper(DbmsName());
        const std::string where = " WHERE " + probe.keyColumn + " = " + probe.key;
        BeginTransaction();
        try {
            if (dbms.find("SQL SERVER") != std::string::npos)
                Run("SELECT " + probe.keyColumn + " FROM " + probe.table +
                    " WITH (UPDLOCK, NOWAIT)" + where);
            else if (dbms.find("ACCESS") != std::string::npos)
                Change("UPDATE " + probe.table + " SET [" + probe.column + "] = [" + probe.column +
                           "]" + where,
                       {});
            else
                Run("SELECT " + probe.keyColumn + " FROM " + probe.table + where +
                    " FOR UPDATE NOWAIT");
        } catch (...) {
            RollbackTransaction();
            throw;
        }
        RollbackTransaction();
    }

  private:
    std::string DbmsName() {
        SQLCHAR name[128] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetInfo(dbc_.get(), SQL_DBMS_NAME, name, sizeof name, &length)))
            return "";
        return reinterpret_cast<const char*>(name);
    }

    SQLRETURN SetAutoCommit(SQLULEN mode) {
        return SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                                 reinterpret_cast<SQLPOINTER>(mode), SQL_IS_UINTEGER);
    }

    OdbcStatementHandle Prepare(const std::string& sql) {
        OdbcStatementHandle statement;
        Check(statement.Allocate(dbc_.get()), SQL_HANDLE_DBC, dbc_.get());
        Check(SQLPrepare(statement.get(),
                         reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS),
              SQL_HANDLE_STMT, statement.get());
        // A driver that cannot time statements out runs them without a limit.
        if (queryTimeoutSeconds_ > 0)
            SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds_)),
                           SQL_IS_UINTEGER);
        return statement;
    }

    std::vector<std::string> PrimaryKeyAsSpelled(const std::string& table) {
        std::vector<std::string> key;
        OdbcStatementHandle statement;
        if (!SQL_SUCCEEDED(statement.Allocate(dbc_.get()))) return key;
        if (!SQL_SUCCEEDED(SQLPrimaryKeys(
                statement.get(), nullptr, 0, nullptr, 0,
                reinterpret_cast<SQLCHAR*>(const_cast<char*>(table.c_str())), SQL_NTS)))
            return key;
        while (SQL_SUCCEEDED(SQLFetch(statement.get()))) {
            if (auto column = GetColumnData(statement.get(), 4, false)) key.push_back(*column);
        }
        return key;
    }

    OdbcEnvironmentHandle env_;
    OdbcConnectionHandle dbc_;
    int queryTimeoutSeconds_ = 0;  // 0: the driver's own
};

std::int64_t ParseInteger(const std::string& text) {
    return LeadingInteger(text);
}

Decimal ParseDecimal(const std::string& text) {
    Decimal decimal;
    bool afterPoint = false;
    for (char c : text) {
        if (c == '-') decimal.negative = true;
        if (c == '.') afterPoint = true;
        if (!std::isdigit(static_cast<unsigned char>(c))) continue;
        decimal.mantissa = decimal.mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        if (afterPoint) ++decimal.scale;
    }
    return decimal;
}

}  // namespace

std::unique_ptr<DbConnection> OpenOdbcDatabase(const std::string& connectionString) {
    OdbcEnvironmentHandle env = NewEnvironment();
    OdbcConnectionHandle dbc;
    Check(dbc.Allocate(env.get()), SQL_HANDLE_ENV, env.get());
    SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
    if (ConnectionsAreReadOnly())
        SQLSetConnectAttr(dbc.get(), SQL_ATTR_ACCESS_MODE,
                          reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
    SQLSMALLINT outLength = 0;
    Check(SQLDriverConnect(dbc.get(), nullptr,
                           reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.c_str())),
                           SQL_NTS, nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, dbc.get());
    dbc.MarkConnected();
    return std::make_unique<OdbcConnection>(std::move(env), std::move(dbc));
}

bool OdbcDataSourceExists(const std::string& name) {
    OdbcEnvironmentHandle env = NewEnvironment();
    SQLCHAR dsn[SQL_MAX_DSN_LENGTH + 1] = {};
    SQLCHAR description[256] = {};
    SQLSMALLINT dsnLength = 0, descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(env.get(), direction, dsn, sizeof dsn, &dsnLength,
                                        description, sizeof description, &descriptionLength))) {
        direction = SQL_FETCH_NEXT;
        if (EqualIgnoringCase(reinterpret_cast<const char*>(dsn), name)) return true;
    }
    return false;
}

// One row per ODBC SQL type family; everything not listed reads as text.
std::uint16_t OdbcVariantType(int sqlType) {
    switch (sqlType) {
        case SQL_SMALLINT:
        case SQL_TINYINT:
            return VT_I2;
        case SQL_INTEGER:
            return VT_I4;
        case SQL_BIGINT:
            return VT_I8;
        case SQL_REAL:
            return VT_R4;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return VT_R8;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return VT_DECIMAL;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIME:
        case SQL_TIMESTAMP:
            return VT_DATE;
        case SQL_BIT:
            return VT_BOOL;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return VT_ARRAY | VT_UI1;
        default:
            return VT_BSTR;
    }
}

Variant OdbcTextToVariant(int sqlType, std::string text) {
    const std::uint16_t type = OdbcVariantType(sqlType);
    switch (type) {
        case VT_I2:
        case VT_I4:
        case VT_I8:
            return Variant::Integer(type, ParseInteger(text));
        case VT_R4:
        case VT_R8: {
            Variant real = Variant::Real(std::strtod(text.c_str(), nullptr));
            real.type = type;
            return real;
        }
        case VT_DECIMAL: {
            Variant decimal = Variant::Of(VT_DECIMAL);
            decimal.decimal = ParseDecimal(text);
            return decimal;
        }
        case VT_DATE: {
            DateTime date;
            if (ParseDateTime(text, date)) return Variant::Date(date);
            // A time of day alone is a time on the zero day, 12/30/1899.
            if (ParseDateTime("1899-12-30 " + text, date)) return Variant::Date(date);
            return Variant::Text(std::move(text));
        }
        case VT_BOOL:
            return Variant::Bool(ParseInteger(text) != 0);
        case VT_ARRAY | VT_UI1: {
            Variant bytes = Variant::Of(type);
            bytes.bytes.assign(text.begin(), text.end());
            return bytes;
        }
        default:
            return Variant::Text(std::move(text));
    }
}

}  // namespace mirabel
