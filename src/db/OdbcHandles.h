#pragma once
// Owner of one ODBC handle (environment, connection or statement): move-only, freed in a
// noexcept destructor. A connection handle is disconnected before it is freed.
#include <sql.h>
#include <sqlext.h>

#include <utility>

namespace mirabel {

template <SQLSMALLINT HandleType>
class OdbcHandle {
  public:
    OdbcHandle() = default;
    OdbcHandle(OdbcHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, SQLHANDLE{})),
          connected_(std::exchange(other.connected_, false)) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        std::swap(connected_, other.connected_);
        return *this;
    }
    ~OdbcHandle() {
        if (handle_ == SQL_NULL_HANDLE) return;
        if constexpr (HandleType == SQL_HANDLE_DBC) {
            if (connected_) SQLDisconnect(handle_);
        }
        SQLFreeHandle(HandleType, handle_);
    }

    // Allocates the handle under its parent (SQL_NULL_HANDLE for an environment).
    SQLRETURN Allocate(SQLHANDLE parent) { return SQLAllocHandle(HandleType, parent, &handle_); }
    SQLHANDLE get() const { return handle_; }
    void MarkConnected() { connected_ = true; }

  private:
    SQLHANDLE handle_ = nullptr;
    bool connected_ = false;
};

using OdbcEnvironmentHandle = OdbcHandle<SQL_HANDLE_ENV>;
using OdbcConnectionHandle = OdbcHandle<SQL_HANDLE_DBC>;
using OdbcStatementHandle = OdbcHandle<SQL_HANDLE_STMT>;

}  // namespace mirabel
