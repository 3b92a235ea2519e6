#include "archive/ArchiveWriteBack.h"

#include <string_view>

#include "archive/ExamRowWriter.h"
#include "core/CCVAException.h"
#include "core/Text.h"
#include "db/ArchiveColumnRule.h"

namespace mirabel {

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
    return ExamRowWriter(config, "corvana").Write(examId, field, value);
}

}  // namespace mirabel
