#include "archive/ArchiveWriteBack.h"

#include <string_view>
#include <vector>

#include "core/Text.h"
#include "db/ArchiveColumnRule.h"
#include "db/CCVAException.h"
#include "db/DatabaseLayer.h"
#include "db/ImageDatabase.h"

namespace mirabel {

namespace {

// Rows read at most when looking the exam up, as every statement on EXAM does.
constexpr int kMaxExamRows = 500000;

void ThrowOnDatabaseError() {
    if (g_bDbError) throw CCVAException("database error");
}

}  // namespace

bool IsNumericExamId(const std::string& examId) {
    // An optional minus sign, then digits only.
    return AllDigits(std::string_view(examId).substr(examId.starts_with('-') ? 1 : 0));
}

bool RecordArchiveLocation(const ArchiverConfig& config, const std::string& examId,
                           const std::string& value) {
    if (!IsNumericExamId(examId)) throw CCVAException("database error");
    if (const std::optional<std::string> refusal = ArchiveColumnRefusal(config.m_strDbField))
        throw CCVAException(*refusal);
    HandleScope handles;
    CAdoDatabase* db = handles.NewDatabase("corvana");
    ThrowOnDatabaseError();
    ConnectImageDatabase(db, config);
    ThrowOnDatabaseError();
    CAdoRecordset* rs = handles.NewRecordset("echorec", db);
    ThrowOnDatabaseError();
    OpenRecordset(rs, "SELECT EXAM.* FROM EXAM WHERE EXAM.EXAM_ID = " + examId);
    ThrowOnDatabaseError();
    std::vector<std::string> ids;
    GetColumn(rs, "EXAM_ID", ids, kMaxExamRows);
    ThrowOnDatabaseError();
    if (!ids.empty()) {
        MoveToRow(rs, 0);
        ThrowOnDatabaseError();
        SetFieldValue(rs, config.m_strDbField, value);
        ThrowOnDatabaseError();
        Update(rs);
        ThrowOnDatabaseError();
    }
    handles.Close(rs);
    handles.Close(db);
    return !ids.empty();
}

}  // namespace mirabel
