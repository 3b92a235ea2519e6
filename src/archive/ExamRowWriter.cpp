#include "archive/ExamRowWriter.h"

#include <vector>

#include "archive/ArchiveWriteBack.h"
#include "db/CCVAException.h"
#include "db/ImageDatabase.h"

namespace mirabel {

namespace {

// Rows read at most when looking the exam up, as every statement on EXAM does.
constexpr int kMaxExamRows = 500000;

}  // namespace

ExamRowWriter::ExamRowWriter(const ArchiverConfig& config, std::string handleName)
    : config_(config), handleName_(std::move(handleName)) {}

bool ExamRowWriter::Write(const std::string& examId, const std::string& field,
                          const std::string& value) {
    if (!IsNumericExamId(examId)) throw CCVAException("database error");
    try {
        return WriteOnConnection(Connection(), examId, field, value);
    } catch (...) {
        // After a failure the connection's state is not known: the next write starts afresh.
        handles_.reset();
        db_ = nullptr;
        throw;
    }
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

// The row is looked up and changed through a recordset, as every change goes through the
// layer; the recordset is closed at once, so that no statement keeps reading (and, on a
// database file, keeps others from writing) between two writes.
bool ExamRowWriter::WriteOnConnection(CAdoDatabase* db, const std::string& examId,
                                      const std::string& field, const std::string& value) {
    CAdoRecordset* rs = handles_->NewRecordset("echorec", db);
    ThrowOnDatabaseError();
    OpenRecordset(rs, "SELECT EXAM.* FROM EXAM WHERE EXAM.EXAM_ID = " + examId);
    ThrowOnDatabaseError();
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
    handles_->Close(rs);
    return !ids.empty();
}

}  // namespace mirabel
