#pragma once
// The named handles one operation opens, closed on every way out of it. An operation that
// gives up after a failed step (it throws CCVAException) would otherwise leave its connection
// and recordset registered, and with them an open statement that keeps the image system's
// database locked until the name is next used, which after a failed study is the five-minute
// retry pause.
#include <string>
#include <utility>
#include <vector>

#include "db/DatabaseLayer.h"

namespace mirabel {

class HandleScope {
  public:
    HandleScope() = default;
    // Discards what was not closed, recordsets before their connections, without touching
    // g_bDbError or the error log: the failure that ended the operation is already reported.
    ~HandleScope();
    HandleScope(const HandleScope&) = delete;
    HandleScope& operator=(const HandleScope&) = delete;

    // GetNewDatabase + FindConnection: a new, unconnected handle of that name.
    CAdoDatabase* NewDatabase(const std::string& name);
    // GetNewRecordset on the connection.
    CAdoRecordset* NewRecordset(const std::string& name, CAdoDatabase* db);

    // The layer's close operations, with their flag and log; the handle is no longer held here.
    void Close(CAdoRecordset* rs);
    void Close(CAdoDatabase* db);

  private:
    std::vector<std::pair<const CAdoRecordset*, std::string>> recordsets_;
    std::vector<std::pair<const CAdoDatabase*, std::string>> databases_;
};

}  // namespace mirabel
