#pragma once
// The catalog of the start directory, "mirabel-catalog.db": what Mirabel itself must remember
// beyond the image system's database (the removal journal and register). A SQLite file in WAL
// mode whose every commit is on disk when it returns; created on first use.
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// The engine's own types stay behind this file: a user of the catalog sees none of SQLite.
struct sqlite3;
struct sqlite3_stmt;

namespace mirabel {

inline constexpr const char* kCatalogFile = "mirabel-catalog.db";

// A catalog that cannot be opened, read or written; what() says why.
class CatalogFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Closes the engine's handles (both closers accept null).
struct CatalogHandleCloser {
    void operator()(sqlite3* db) const noexcept;
    void operator()(sqlite3_stmt* statement) const noexcept;
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
    double Real(int column) const;

  private:
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, CatalogHandleCloser> statement_;
};

class CatalogDatabase {
  public:
    // Opens the catalog file, creating it and its tables when missing. Throws CatalogFailure.
    explicit CatalogDatabase(const std::filesystem::path& file = kCatalogFile);
    // Opens a catalog that is there, only to read it: no file is created, no table added, and
    // once it is closed again the start directory is as it was. nullopt when there is no catalog
    // file; throws CatalogFailure when it cannot be opened.
    static std::optional<CatalogDatabase> OpenToRead(
        const std::filesystem::path& file = kCatalogFile);

    CatalogStatement Prepare(const char* sql) { return CatalogStatement(db_.get(), sql); }

    // Whether the catalog has that table: one made by an earlier release may lack a newer one.
    bool HasTable(const char* name);

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
            RollBack();
            throw;
        }
    }

    void Execute(const char* sql);

  private:
    struct Existing {};
    CatalogDatabase(const std::filesystem::path& file, Existing);
    void RollBack() noexcept;

    std::unique_ptr<sqlite3, CatalogHandleCloser> db_;
};

}  // namespace mirabel
