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

}  // namespace

bool IsNumericExamId(const std::string& examId) {
    // An optional minus sign, then digits only.
    return AllDigits(std::string_view(examId).substr(examId.starts_with('-') ? 1 : 0));
}

bool RecordArchiveLocation(const ArchiverConfig& config, const std::string& examId,
                           const std::string& value) {
    if (const std::optional<std::string> refusal = ArchiveColumnRefusal(config.m_strDbField))
        throw CCVAException(*refusal);
    return WriteExamField(config, examId, config.m_strDbField, value);
}

bool WriteExamField(const ArchiverConfig& config, const std::string& examId,
                    const std::string& field, const std::string& value) {
    if (!IsNumericExamId(examId)) throw CCVAException("database error");
    HandleScope handles;
    const ImageStatement exam = OpenImageStatement(
        handles, config, "SELECT EXAM.* FROM EXAM WHERE EXAM.EXAM_ID = " + examId);
    CAdoRecordset* rs = exam.rs;
    std::vector<std::string> ids;
    GetColumn(rs, "EXAM_ID", ids, kMaxExamRows);
    ThrowOnDatabaseError();
    if (!ids.empty()) {
        MoveToRow(rs, 0);
        ThrowOnDatabaseError();
        SetFieldValue(rs, field, value);
        ThrowOnDatabaseError();
        Update(rs);
        ThrowOnDatabaseError();
    }
    CloseImageStatement(handles, exam);
    return !ids.empty();
}

}  // namespace mirabel
