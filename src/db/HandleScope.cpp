#include "db/HandleScope.h"

#include <algorithm>

namespace mirabel {

namespace {

template <typename Handle>
void Forget(std::vector<std::pair<const Handle*, std::string>>& held, const Handle* handle) {
    std::erase_if(held, [&](const auto& entry) { return entry.first == handle; });
}

}  // namespace

HandleScope::~HandleScope() {
    for (const auto& [rs, name] : recordsets_) DiscardRecordset(rs, name);
    for (const auto& [db, name] : databases_) DiscardDatabase(db, name);
}

CAdoDatabase* HandleScope::NewDatabase(const std::string& name) {
    GetNewDatabase(name);
    CAdoDatabase* db = FindConnection(name);
    databases_.emplace_back(db, name);
    return db;
}

CAdoRecordset* HandleScope::NewRecordset(const std::string& name, CAdoDatabase* db) {
    CAdoRecordset* rs = GetNewRecordset(name, db);
    recordsets_.emplace_back(rs, name);
    return rs;
}

void HandleScope::Close(CAdoRecordset* rs) {
    Forget(recordsets_, static_cast<const CAdoRecordset*>(rs));
    CloseRecordset(rs);
}

void HandleScope::Close(CAdoDatabase* db) {
    Forget(databases_, static_cast<const CAdoDatabase*>(db));
    CloseDatabase(db);
}

}  // namespace mirabel
