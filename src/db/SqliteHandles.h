#pragma once
// Owners of the two SQLite handles: move-only, released in a noexcept destructor.
#include <sqlite3.h>

#include <utility>

class SqliteDatabaseHandle {
  public:
    SqliteDatabaseHandle() = default;
    explicit SqliteDatabaseHandle(sqlite3* db) : db_(db) {}
    SqliteDatabaseHandle(SqliteDatabaseHandle&& other) noexcept
        : db_(std::exchange(other.db_, nullptr)) {}
    SqliteDatabaseHandle& operator=(SqliteDatabaseHandle&& other) noexcept {
        std::swap(db_, other.db_);
        return *this;
    }
    ~SqliteDatabaseHandle() { sqlite3_close_v2(db_); }
    sqlite3* get() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

class SqliteStatementHandle {
  public:
    SqliteStatementHandle() = default;
    explicit SqliteStatementHandle(sqlite3_stmt* statement) : statement_(statement) {}
    SqliteStatementHandle(SqliteStatementHandle&& other) noexcept
        : statement_(std::exchange(other.statement_, nullptr)) {}
    SqliteStatementHandle& operator=(SqliteStatementHandle&& other) noexcept {
        std::swap(statement_, other.statement_);
        return *this;
    }
    ~SqliteStatementHandle() { sqlite3_finalize(statement_); }
    sqlite3_stmt* get() const { return statement_; }

  private:
    sqlite3_stmt* statement_ = nullptr;
};
