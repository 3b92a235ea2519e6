#pragma once
// How every operation of the connection layer meets a failure: the engine's text goes to the
// error log once, g_bDbError is set, and the operation returns its empty result.
#include <exception>
#include <type_traits>
#include <string>
#include <utility>

#include "db/DatabaseLayer.h"
#include "log/Logs.h"

namespace mirabel {

void ReportDbFailure(const std::string& text);

// Runs body with g_bDbError cleared first; after a failure (reported) returns the empty
// result of the body's type.
template <typename Body>
auto RunLayerOperation(Body&& body) {
    using Result = std::invoke_result_t<Body>;
    g_bDbError = 0;
    try {
        return body();
    } catch (const std::exception& failure) {
        ReportDbFailure(failure.what());
    }
    if constexpr (!std::is_void_v<Result>) return Result{};
}

// The open recordset's rows, or a failure when it has none to give.
DbCursor& RequireCursor(CAdoRecordset* rs);
// The column of that name, case-insensitively as Fields.Item finds it.
int RequireColumn(CAdoRecordset* rs, const std::string& name);

}  // namespace mirabel
