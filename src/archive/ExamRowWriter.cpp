#include "archive/ExamRowWriter.h"

#include <vector>

#include "archive/ArchiveWriteBack.h"
#include "db/CheckedCalls.h"
#include "db/DialectTranslation.h"

namespace mirabel {

namespace {

// The exam id stands unquoted in the statement: only a number may go there.
void RequireNumeric(const std::string& examId) {
    if (!IsNumericExamId(examId))
        throw DatabaseError("the exam id " + examId + " is not a number", false);
}

}  // namespace

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
    RequireNumeric(examId);
    return OnConnection([&](CAdoDatabase* db) {
        return checked::SetRowField(db, "EXAM", "EXAM_ID", examId, field, value) == 1;
    });
}

std::vector<bool> ExamRowWriter::WriteRows(
    const std::string& field, const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [examId, value] : values) RequireNumeric(examId);
    const std::vector<long> changed = OnConnection([&](CAdoDatabase* db) {
        return checked::SetRowFields(db, "EXAM", "EXAM_ID", field, values);
    });
    std::vector<bool> written;
    for (const long rows : changed) written.push_back(rows == 1);
    return written;
}

std::optional<std::vector<std::string>> ExamRowWriter::Read(
    const std::string& examId, const std::vector<std::string>& fields) {
    RequireNumeric(examId);
    return ReadFirstRow("SELECT EXAM.* FROM EXAM WHERE EXAM.EXAM_ID = " + examId, fields);
}

std::optional<std::vector<std::string>> ExamRowWriter::ReadWithPatient(
    const std::string& examId, const std::vector<std::string>& fields) {
    RequireNumeric(examId);
    return ReadFirstRow(
        "SELECT EXAM.*, PATIENT.* FROM EXAM, PATIENT WHERE (PATIENT.PAT_ID = EXAM.PAT_ID) AND "
        "(EXAM.EXAM_ID = " +
            examId + ")",
        fields);
}

std::optional<std::vector<std::string>> ExamRowWriter::ReadFirstRow(
    const std::string& statement, const std::vector<std::string>& fields) {
    return OnConnection([&](CAdoDatabase* db) -> std::optional<std::vector<std::string>> {
        CAdoRecordset* rs = handles_->NewRecordset("echorec", db);
        checked::OpenRecordset(rs, statement);
        std::vector<std::string> names = fields;
        if (g_bOracleSyntax)
            for (std::string& name : names) name = TranslateFieldName(std::move(name));
        std::vector<std::string> values;
        checked::GetRows(rs, names, values, 1);
        // Closed at once, so that no statement keeps reading (and, on a database file, keeps
        // others from writing) until the next step.
        handles_->Close(rs);
        if (values.empty()) return std::nullopt;
        return values;
    });
}

void ExamRowWriter::ProveWritable(const std::string& examId, const std::string& field) {
    RequireNumeric(examId);
    OnConnection([&](CAdoDatabase* db) {
        checked::ProveRowWritable(db, "EXAM", "EXAM_ID", examId, field);
        return 0;
    });
}

CAdoDatabase* ExamRowWriter::Connection() {
    if (db_) return db_;
    handles_.emplace();
    CAdoDatabase* db = checked::ConnectImage(*handles_, handleName_, config_);
    checked::ExpectManyCommits(db);
    return db_ = db;
}

}  // namespace mirabel
