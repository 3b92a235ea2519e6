#include "archive/TableRowRead.h"

#include "archive/ArchiveWriteBack.h"
#include "archive/TableScript.h"
#include "db/CheckedCalls.h"

namespace mirabel {

namespace {

// Rows read at most when looking the key up.
constexpr int kMaxKeyRows = 100000;

constexpr const char* kPatientColumns =
    "Select PATIENT.NAME_L,PATIENT.NAME_F,PATIENT.NAME_I,PATIENT.IUH_ID,PATIENT.SSN,PATIENT.DOB,"
    "PATIENT.GENDER FROM [%s] WHERE [%s].PAT_ID Like %s";
// Oracle names the media type column MEDIA_TYPE; the Access and SQL Server images "Media Type".
constexpr const char* kOracleExamColumns =
    "Select EXAM.EXAM_DATE,EXAM.EXAM_TYPE,EXAM.EXAM_LOC,EXAM.READER,EXAM.PRELIM,EXAM.[MEDIA_TYPE],"
    "EXAM.BP_SYS,EXAM.BP_DIA,EXAM.HR,EXAM.[VIDEO_TAPE],EXAM.HEIGHT,EXAM.WEIGHT,EXAM.REFER_DOC,"
    "EXAM.ORDER_DOC,EXAM.SONOGRAPHER, EXAM.ADMIT_DIAG, EXAM.PROCEDURES,EXAM.ADMIT_CODE, "
    "EXAM.DOC_TO_READ FROM [%s] WHERE [%s].EXAM_ID Like %s";
constexpr const char* kExamColumns =
    "Select EXAM.EXAM_DATE,EXAM.EXAM_TYPE,EXAM.EXAM_LOC,EXAM.READER,EXAM.PRELIM,EXAM.[MEDIA TYPE],"
    "EXAM.BP_SYS,EXAM.BP_DIA,EXAM.HR,EXAM.[VIDEO_TAPE],EXAM.HEIGHT,EXAM.WEIGHT,EXAM.REFER_DOC,"
    "EXAM.ORDER_DOC,EXAM.Sonographer, EXAM.ADMIT_DIAG, EXAM.PROCEDURES,EXAM.ADMIT_CODE, "
    "EXAM.DOC_TO_READ FROM [%s] WHERE [%s].EXAM_ID Like %s";

std::string RowStatement(const ArchiverConfig& config, const std::string& table,
                         const std::string& key) {
    std::string statement = table == "PATIENT"                        ? kPatientColumns
                            : config.DbKind() == DatabaseKind::Oracle ? kOracleExamColumns
                                                                      : kExamColumns;
    for (const std::string& value : {table, table, key})
        statement.replace(statement.find("%s"), 2, value);
    return statement;
}

// The current row's fields. Throws DatabaseError when one of them cannot be read.
void ReadFields(CAdoRecordset* rs, std::vector<std::string>& names,
                std::vector<std::string>& values) {
    const int count = checked::GetFieldCount(rs);
    for (int i = 0; i < count; ++i) {
        const std::string value = checked::GetFieldValue(rs, i);
        names.push_back(checked::GetFieldName(rs, i));
        values.push_back(EscapeLineBreaks(value));
    }
}

// The first row's fields; false when the statement found no row. Throws DatabaseError when
// the rows cannot be read.
bool ReadFirstRow(CAdoRecordset* rs, std::vector<std::string>& names,
                  std::vector<std::string>& values) {
    std::vector<std::string> keys;
    if (checked::GetColumnByIndex(rs, 0, keys, kMaxKeyRows) == 0) return false;
    checked::MoveToRow(rs, 0);
    ReadFields(rs, names, values);
    return true;
}

bool ReadRow(HandleScope& handles, CAdoDatabase* db, const std::string& statement,
             std::vector<std::string>& names, std::vector<std::string>& values) {
    CAdoRecordset* rs = handles.NewRecordset("echorec", db);
    // Not checked on its own: a refused statement fails the read that follows.
    OpenRecordset(rs, statement);
    std::vector<std::string> rowNames, rowValues;
    bool read = false;
    try {
        read = ReadFirstRow(rs, rowNames, rowValues);
    } catch (const DatabaseError&) {
        // The layer has logged why; the recordset is closed all the same.
    }
    handles.Close(rs);
    if (!read) return false;
    names.insert(names.end(), rowNames.begin(), rowNames.end());
    values.insert(values.end(), rowValues.begin(), rowValues.end());
    return true;
}

}  // namespace

bool ReadTableRow(const ArchiverConfig& config, const std::string& table,
                  std::vector<std::string>& names, std::vector<std::string>& values,
                  const std::string& key) {
    // The key stands unquoted in the statement: only a number may go there.
    if (!IsNumericExamId(key)) return false;
    try {
        HandleScope handles;
        CAdoDatabase* db = checked::ConnectImage(handles, "echodb", config);
        const bool read = ReadRow(handles, db, RowStatement(config, table, key), names, values);
        handles.Close(db);
        return read;
    } catch (const DatabaseError&) {
        return false;
    }
}

}  // namespace mirabel
