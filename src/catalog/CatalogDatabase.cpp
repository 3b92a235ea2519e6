#include "catalog/CatalogDatabase.h"

#include <sqlite3.h>

namespace mirabel {

namespace {

// Another process (a second Mirabel in the same directory, a report) may hold the write lock
// for a moment.
constexpr int kBusyTimeoutMs = 30000;

[[noreturn]] void Fail(sqlite3* db, const std::string& doing) {
    throw CatalogFailure(std::string(kCatalogFile) + ": " + doing + ": " +
                         (db ? sqlite3_errmsg(db) : "out of memory"));
}

// A study's files are one text of lines, "name/size" (the journal: "name/hidden/size"): a
// listed name never holds a "/", as a name in a sub-folder is never removed.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS removal_journal (
  exam_id TEXT PRIMARY KEY, started TEXT NOT NULL, study_name TEXT, exam_date TEXT,
  folder TEXT NOT NULL, archive_value TEXT, media_type_column TEXT,
  media_type_before TEXT, media_type_after TEXT, selected_by TEXT, evidence TEXT, files TEXT);
CREATE TABLE IF NOT EXISTS removal_register (
  id INTEGER PRIMARY KEY, exam_id TEXT NOT NULL, removed TEXT NOT NULL, study_name TEXT,
  exam_date TEXT, folder TEXT, selected_by TEXT, archive_value TEXT, media_type_before TEXT,
  evidence TEXT, files TEXT);
CREATE INDEX IF NOT EXISTS removal_register_exam ON removal_register (exam_id);
CREATE TABLE IF NOT EXISTS copies (
  exam_id TEXT NOT NULL, destination TEXT NOT NULL, archive_value TEXT NOT NULL,
  image_path TEXT NOT NULL, archived TEXT NOT NULL, files TEXT NOT NULL,
  last_checked TEXT, last_result TEXT, PRIMARY KEY (exam_id, destination));
CREATE TABLE IF NOT EXISTS copy_checks (
  id INTEGER PRIMARY KEY, exam_id TEXT NOT NULL, destination TEXT NOT NULL,
  checked TEXT NOT NULL, result TEXT NOT NULL, detail TEXT);
CREATE TABLE IF NOT EXISTS restore_holds (
  exam_id TEXT PRIMARY KEY, restored TEXT NOT NULL, hold_until TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS runs (
  id INTEGER PRIMARY KEY, kind TEXT NOT NULL, started TEXT NOT NULL, ended TEXT NOT NULL,
  destination TEXT, done INTEGER NOT NULL, failed INTEGER NOT NULL, skipped INTEGER NOT NULL,
  bytes INTEGER NOT NULL, exit_status INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS runs_kind ON runs (kind, started);
CREATE INDEX IF NOT EXISTS runs_ended ON runs (ended);
CREATE TABLE IF NOT EXISTS run_failures (
  run_id INTEGER NOT NULL, exam_id TEXT NOT NULL, study_name TEXT, reason TEXT);
CREATE INDEX IF NOT EXISTS run_failures_run ON run_failures (run_id);
)";

}  // namespace

void CatalogHandleCloser::operator()(sqlite3* db) const noexcept {
    sqlite3_close_v2(db);
}

void CatalogHandleCloser::operator()(sqlite3_stmt* statement) const noexcept {
    sqlite3_finalize(statement);
}

CatalogStatement::CatalogStatement(sqlite3* db, const char* sql) : db_(db) {
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr) != SQLITE_OK) Fail(db, "prepare");
    statement_.reset(prepared);
}

CatalogStatement& CatalogStatement::Bind(int index, const std::string& text) {
    if (sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
        Fail(db_, "bind");
    return *this;
}

CatalogStatement& CatalogStatement::Bind(int index, std::int64_t number) {
    if (sqlite3_bind_int64(statement_.get(), index, number) != SQLITE_OK) Fail(db_, "bind");
    return *this;
}

CatalogStatement& CatalogStatement::BindTexts(std::initializer_list<std::string> texts) {
    int index = 1;
    for (const std::string& text : texts) Bind(index++, text);
    return *this;
}

bool CatalogStatement::Step() {
    const int rc = sqlite3_step(statement_.get());
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(db_, "step");
}

void CatalogStatement::Run() {
    while (Step()) {
    }
    sqlite3_reset(statement_.get());
}

std::string CatalogStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(statement_.get(), column);
    return text ? std::string(
                      reinterpret_cast<const char*>(text),
                      static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column)))
                : std::string();
}

std::int64_t CatalogStatement::Number(int column) const {
    return sqlite3_column_int64(statement_.get(), column);
}

double CatalogStatement::Real(int column) const {
    return sqlite3_column_double(statement_.get(), column);
}

CatalogDatabase::CatalogDatabase(const std::filesystem::path& file) {
    std::error_code ignored;
    const bool isNew = !std::filesystem::exists(file, ignored);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(
        file.c_str(), &raw,
        // A link in the catalog's place could lead the catalog's tables into the
        // image system's own database, or out of the start directory.
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
        nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) Fail(raw, "open");
    // It names patients and their folders: for the account that runs Mirabel only, as the logs.
    if (isNew)
        std::filesystem::permissions(
            file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
            ignored);
    sqlite3_busy_timeout(db_.get(), kBusyTimeoutMs);
    // WAL keeps a reader and a writer out of each other's way; FULL syncs the log at every
    // commit, so a recorded intent survives a power cut.
    Execute("PRAGMA journal_mode=WAL");
    Execute("PRAGMA synchronous=FULL");
    Execute(kSchema);
}

// Read-write without create: a reader that may write closes the log it opened and removes it,
// where a read-only one would leave its "-wal" and "-shm" files behind.
CatalogDatabase::CatalogDatabase(const std::filesystem::path& file, Existing) {
    // Commits still in the log of a writer that did not close it are left there: the last
    // connection to close would otherwise fold them into the catalog file and remove the log.
    std::error_code ignored;
    const bool logWasThere = std::filesystem::exists(file.string() + "-wal", ignored);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(
        file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
        nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) Fail(raw, "open");
    sqlite3_busy_timeout(db_.get(), kBusyTimeoutMs);
    if (logWasThere) sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

std::optional<CatalogDatabase> CatalogDatabase::OpenToRead(const std::filesystem::path& file) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(file, ignored)) return std::nullopt;
    return CatalogDatabase(file, Existing{});
}

bool CatalogDatabase::HasTable(const char* name) {
    CatalogStatement table =
        Prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    table.Bind(1, std::string(name));
    return table.Step();
}

void CatalogDatabase::RollBack() noexcept {
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void CatalogDatabase::Execute(const char* sql) {
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(db_.get(), "write");
}

}  // namespace mirabel
