#pragma once
// Owners of the two SQLite handles: move-only, released in a noexcept destructor.
#include <sqlite3.h>

#include <utility>

namespace mirabel {

template <typename Raw, int (*Release)(Raw*)>
class SqliteHandle {
  public:
    SqliteHandle() = default;
    explicit SqliteHandle(Raw* raw) : raw_(raw) {}
    SqliteHandle(SqliteHandle&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    SqliteHandle& operator=(SqliteHandle&& other) noexcept {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~SqliteHandle() { Release(raw_); }  // both release functions accept null
    Raw* get() const { return raw_; }

  private:
    Raw* raw_ = nullptr;
};

using SqliteDatabaseHandle = SqliteHandle<sqlite3, sqlite3_close_v2>;
using SqliteStatementHandle = SqliteHandle<sqlite3_stmt, sqlite3_finalize>;

}  // namespace mirabel
