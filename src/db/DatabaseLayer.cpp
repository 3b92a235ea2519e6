#include "db/DatabaseLayer.h"

#include <algorithm>

#include "db/DatabaseFile.h"
#include "db/LayerFailure.h"
#include "db/OdbcConnectionStrings.h"
#include "db/OdbcEngine.h"

namespace mirabel {

// Never destroyed: handles still registered at exit are left to the system, so no driver is
// called while the process is taking its libraries down.
std::vector<std::unique_ptr<CAdoDatabase>>& g_Databases =
    *new std::vector<std::unique_ptr<CAdoDatabase>>;
std::vector<std::unique_ptr<CAdoRecordset>>& g_Recordsets =
    *new std::vector<std::unique_ptr<CAdoRecordset>>;
int g_bDbError = 0;
unsigned char g_bOracleSyntax = 0;

namespace {
std::string g_lastDbFailure;
}

void ReportDbFailure(const std::string& text) {
    g_bDbError = 1;
    g_lastDbFailure = text;
    ErrorLog(text);
}

const std::string& LastDbFailureText() {
    return g_lastDbFailure;
}

namespace {

template <typename Handle>
auto FindByName(std::vector<std::unique_ptr<Handle>>& registry, const std::string& name) {
    return std::find_if(registry.begin(), registry.end(),
                        [&](const auto& handle) { return handle->name == name; });
}

// The close operations find their handle by identity: it is the one the caller holds.
template <typename Handle>
auto FindByIdentity(std::vector<std::unique_ptr<Handle>>& registry, const Handle* wanted) {
    return std::find_if(registry.begin(), registry.end(),
                        [&](const auto& handle) { return handle.get() == wanted; });
}

// A connection's recordsets lose their rows before the connection goes: an engine statement
// must never outlive its connection.
void DetachRecordsets(const CAdoDatabase* db) {
    for (auto& rs : g_Recordsets) {
        if (rs->owner != db) continue;
        rs->cursor.reset();
        rs->opened = false;
        rs->owner = nullptr;
    }
}

void DestroyDatabase(std::vector<std::unique_ptr<CAdoDatabase>>::iterator entry) {
    DetachRecordsets(entry->get());
    g_Databases.erase(entry);
}

template <typename Open>
void Connect(CAdoDatabase* db, Open&& open) {
    RunLayerOperation([&] {
        if (db == nullptr) throw DbFailure(kObjectClosedText);
        DetachRecordsets(db);
        db->connection.reset();
        db->primaryKeys.clear();
        db->connection = open();
    });
}

}  // namespace

void ResetDatabaseLayer() {
    g_Recordsets.clear();
    g_Databases.clear();
    g_bDbError = 0;
    g_bOracleSyntax = 0;
}

void GetNewDatabase(std::string name) {
    g_bDbError = 0;
    if (auto old = FindByName(g_Databases, name); old != g_Databases.end()) DestroyDatabase(old);
    auto db = std::make_unique<CAdoDatabase>();
    db->name = std::move(name);
    g_Databases.push_back(std::move(db));
}

CAdoDatabase* FindConnection(std::string name) {
    auto found = FindByName(g_Databases, name);
    return found == g_Databases.end() ? nullptr : found->get();
}

void OpenAccessDatabase(CAdoDatabase* db, std::string file, std::string password) {
    g_bOracleSyntax = 0;
    Connect(db, [&] { return OpenDatabaseFile(file, password); });
}

void OpenSqlServerDatabase(CAdoDatabase* db, std::string server, std::string database,
                           std::string user, std::string password) {
    g_bOracleSyntax = 0;
    Connect(db, [&] {
        return OpenOdbcDatabase(SqlServerConnectionString(server, database, user, password,
                                                          OdbcDataSourceExists(server)));
    });
}

void OpenOracleDatabase(CAdoDatabase* db, std::string dataSource, std::string user,
                        std::string password) {
    g_bOracleSyntax = 1;
    Connect(db, [&] {
        return OpenOdbcDatabase(
            OracleConnectionString(dataSource, user, password, OdbcDataSourceExists(dataSource)));
    });
}

void SetQueryTimeout(CAdoDatabase* db, int seconds) {
    RunLayerOperation([&] {
        if (db == nullptr || !db->connection) throw DbFailure(kObjectClosedText);
        db->connection->SetQueryTimeout(seconds);
    });
}

void ExpectManyCommits(CAdoDatabase* db) {
    RunLayerOperation([&] {
        if (db == nullptr || !db->connection) throw DbFailure(kObjectClosedText);
        db->connection->ExpectManyCommits();
    });
}

CAdoRecordset* GetNewRecordset(std::string name, CAdoDatabase* db) {
    g_bDbError = 0;
    if (auto old = FindByName(g_Recordsets, name); old != g_Recordsets.end())
        g_Recordsets.erase(old);
    auto rs = std::make_unique<CAdoRecordset>();
    rs->name = std::move(name);
    rs->owner = db;
    g_Recordsets.push_back(std::move(rs));
    return g_Recordsets.back().get();
}

void CloseRecordset(CAdoRecordset* rs) {
    g_bDbError = 0;
    if (rs == nullptr) return;
    auto entry = FindByIdentity(g_Recordsets, rs);
    if (entry == g_Recordsets.end()) return;
    // A statement that ran (with or without rows) closes quietly; one that never opened is a
    // failure, as closing a closed object is.
    const bool wasOpened = (*entry)->opened;
    g_Recordsets.erase(entry);
    if (!wasOpened) ReportDbFailure(kObjectClosedText);
}

void CloseDatabase(CAdoDatabase* db) {
    g_bDbError = 0;
    if (db == nullptr) return;
    auto entry = FindByIdentity(g_Databases, db);
    if (entry == g_Databases.end()) return;
    const bool wasConnected = (*entry)->connection != nullptr;
    DestroyDatabase(entry);
    if (!wasConnected) ReportDbFailure(kObjectClosedText);
}

void DiscardRecordset(const CAdoRecordset* rs, const std::string& name) noexcept {
    auto entry = FindByIdentity(g_Recordsets, rs);
    if (entry != g_Recordsets.end() && (*entry)->name == name) g_Recordsets.erase(entry);
}

void DiscardDatabase(const CAdoDatabase* db, const std::string& name) noexcept {
    auto entry = FindByIdentity(g_Databases, db);
    if (entry != g_Databases.end() && (*entry)->name == name) DestroyDatabase(entry);
}

}  // namespace mirabel
