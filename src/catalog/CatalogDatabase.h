#pragma once
// The catalog of the start directory, "mirabel-catalog.db": what Mirabel itself must remember
// beyond the image system's database (the removal journal and register). A SQLite file in WAL
// mode whose every commit is on disk when it returns; created on first use.
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>

#include "db/SqliteHandles.h"

namespace mirabel {

inline constexpr const char* kCatalogFile = "mirabel-catalog.db";

// A catalog that cannot be opened, read or written; what() says why.
class CatalogFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One prepared statement: bind, then step through its rows.
class CatalogStatement {
  public:
    CatalogStatement(sqlite3* db, const char* sql);
    CatalogStatement& Bind(int index, const std::string& text);
    CatalogStatement& Bind(int index, std::int64_t number);
    // Binds the texts to the parameters from the first on.
    CatalogStatement& BindTexts(std::initializer_list<std::string> texts);
    // Steps to the next row; false when there is none. Throws CatalogFailure on failure.
    bool Step();
    // Runs a statement that returns no rows, and makes it ready to run again with new values.
    void Run();
    std::string Text(int column) const;
    std::int64_t Number(int column) const;

  private:
    sqlite3* db_;
    SqliteStatementHandle statement_;
};

class CatalogDatabase {
  public:
    // Opens the catalog file, creating it and its tables when missing. Throws CatalogFailure.
    explicit CatalogDatabase(const std::filesystem::path& file = kCatalogFile);

    CatalogStatement Prepare(const char* sql) { return CatalogStatement(db_.get(), sql); }

    // Runs body inside one transaction, committed (and synced) when body returns, rolled back
    // when it throws. Unsynced, the commit may be lost to a power cut (never half of it): for
    // what a later pass would write again anyway.
    enum class Durability { Synced, Unsynced };
    template <typename Body>
    void InTransaction(Body&& body, Durability durability = Durability::Synced) {
        Execute(durability == Durability::Synced ? "PRAGMA synchronous=FULL"
                                                 : "PRAGMA synchronous=NORMAL");
        Execute("BEGIN IMMEDIATE");
        try {
            body();
            Execute("COMMIT");
        } catch (...) {
            sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

    void Execute(const char* sql);

  private:
    SqliteDatabaseHandle db_;
};

}  // namespace mirabel
