#include "archive/ExamRowWriter.h"

#include <vector>

#include "archive/ArchiveWriteBack.h"
#include "core/CCVAException.h"
#include "db/DialectTranslation.h"
#include "db/ImageDatabase.h"

namespace mirabel {

ExamRowWriter::ExamRowWriter(const ArchiverConfig& config, std::string handleName)
    : config_(config), handleName_(std::move(handleName)) {}

// After a failure the connection's state is not known: the next step starts afresh.
template <typename Step>
auto ExamRowWriter::OnConnection(Step&& step) {
    try {
        return step(Connection());
    } catch (...) {
        handles_.reset();
        db_ = nullptr;
        throw;
    }
}

bool ExamRowWriter::Write(const std::string& examId, const std::string& field,
                          const std::string& value) {
    if (!IsNumericExamId(examId)) throw CCVAException("database error");
    return OnConnection([&](CAdoDatabase* db) {
        const long changed = SetRowField(db, "EXAM", "EXAM_ID", examId, field, value);
        ThrowOnDatabaseError();
        return changed == 1;
    });
}

std::optional<std::vector<std::string>> ExamRowWriter::Read(
    const std::string& examId, const std::vector<std::string>& fields) {
    if (!IsNumericExamId(examId)) throw CCVAException("database error");
    return OnConnection([&](CAdoDatabase* db) -> std::optional<std::vector<std::string>> {
        CAdoRecordset* rs = handles_->NewRecordset("echorec", db);
        ThrowOnDatabaseError();
        OpenRecordset(rs, "SELECT EXAM.* FROM EXAM WHERE EXAM.EXAM_ID = " + examId);
        ThrowOnDatabaseError();
        std::vector<std::string> names = fields;
        if (g_bOracleSyntax)
            for (std::string& name : names) name = TranslateFieldName(std::move(name));
        std::vector<std::string> values;
        GetRows(rs, names, values, 1);
        ThrowOnDatabaseError();
        // Closed at once, so that no statement keeps reading (and, on a database file, keeps
        // others from writing) until the next step.
        handles_->Close(rs);
        if (values.empty()) return std::nullopt;
        return values;
    });
}

void ExamRowWriter::ProveWritable(const std::string& examId, const std::string& field) {
    if (!IsNumericExamId(examId)) throw CCVAException("database error");
    OnConnection([&](CAdoDatabase* db) {
        ProveRowWritable(db, "EXAM", "EXAM_ID", examId, field);
        ThrowOnDatabaseError();
        return 0;
    });
}

CAdoDatabase* ExamRowWriter::Connection() {
    if (db_) return db_;
    handles_.emplace();
    db_ = handles_->NewDatabase(handleName_);
    ThrowOnDatabaseError();
    ConnectImageDatabase(db_, config_);
    ThrowOnDatabaseError();
    ExpectManyCommits(db_);
    ThrowOnDatabaseError();
    return db_;
}

}  // namespace mirabel
