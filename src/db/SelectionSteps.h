#pragma once
// The steps the study list and the waiting-study count share, so that both look at exactly the
// same studies: the checks before any statement, the connection, the rows' filter and the rule
// that drops a row without a study folder.
#include <ctime>
#include <string>

#include "core/ArchiverConfig.h"
#include "core/CCVAException.h"
#include "db/DatabaseLayer.h"
#include "db/HandleScope.h"

namespace mirabel {

enum class SelectionCheck {
    Ready,
    MissingValues,  // nothing to connect with; "Variable is empty" logged for the server kinds
    RefusedColumn,  // the archive column may not hold the archive value; the error log says why
};
SelectionCheck CheckSelection(const ArchiverConfig& config);

// "FROM ... WHERE ..." of the waiting studies for the criteria, "now" being the age reference.
std::string WaitingStudiesFilter(const ArchiverConfig& config, std::time_t now);

// The image database connected as "corvana" in the scope, with the connection trace in the
// debug log. Throws CCVAException when the handle cannot be made or connected.
CAdoDatabase* ConnectForSelection(HandleScope& handles, const ArchiverConfig& config);

// A new "echorec" recordset on the connection. Throws CCVAException ("database error") when it
// cannot be made.
CAdoRecordset* NewSelectionRecordset(HandleScope& handles, CAdoDatabase* db);
// Opens the statement (translated for the database kind) on the recordset. Throws CCVAException
// ("database error") when it is refused.
void OpenSelection(CAdoRecordset* rs, const std::string& statement);

// A row read as text whose image path is empty (NULL reads as "") names no study folder and is
// never listed.
inline bool HasStudyFolder(const std::string& imagePath) {
    return !imagePath.empty();
}

// The failure's message in the error log, cut as the selection has always cut it.
void LogSelectionFailure(const CCVAException& failure);

}  // namespace mirabel
