#include "db/StudySelection.h"

#include "db/SelectionSteps.h"
#include "log/Logs.h"
#include "platform/LocalTime.h"

namespace mirabel {

namespace {

// The fields each row hands over, in this order. The statement also selects READER, which
// no record keeps: it is not read.
const std::vector<std::string> kSelectedFields = {"EXAM_ID", "IMAGE_PATH", "NAME_L",
                                                  "NAME_F",  "EXAM_DATE",  "PAT_ID"};
enum SelectedField { kExamId, kImagePath, kLastName, kFirstName, kExamDate, kPatientId };

// Lists one row at a time; the display names are put together in one room for all rows.
class StudyLister {
  public:
    explicit StudyLister(StudyList& studies) : studies_(studies) {}

    void operator()(std::vector<std::string>& v) {
        if (!HasStudyFolder(v[kImagePath])) return;  // a study without a folder cannot be archived
        studies_.push_back(std::make_unique<StudyRecord>(
            StudyText{.name = DisplayName(v[kFirstName], v[kLastName], name_),
                      .examDate = v[kExamDate],
                      .imagePath = v[kImagePath],
                      .examId = v[kExamId],
                      .patientId = v[kPatientId]}));
    }

  private:
    StudyList& studies_;
    std::string name_;
};

// Lists the waiting studies into studies as their rows arrive, so that only the records are
// ever held. `complete` is false when reading stopped at a failure: the rows listed before it
// stay. Returns the number of rows read, those without a study folder included.
int ListWaitingStudies(const ArchiverConfig& config, StudyList& studies, int maxStudies,
                       bool& complete) {
    HandleScope handles;
    CAdoDatabase* db = ConnectForSelection(handles, config);
    const std::string statement = BuildStudySelectStatement(config, std::time(nullptr));
    DebugLog("GetStudyList 1");
    CAdoRecordset* rs = NewSelectionRecordset(handles, db);
    DebugLog("GetStudyList 1b");
    DebugLog(statement);
    OpenSelection(rs, statement);

    DebugLog("GetStudyList 1c");
    const int rows = ForEachRow(rs, kSelectedFields, maxStudies, StudyLister(studies));
    complete = g_bDbError == 0;
    DebugLog("GetStudyList 1d");
    handles.Close(rs);
    handles.Close(db);
    return rows;
}

}  // namespace

std::string CutoffLiteral(int daysBefore, std::time_t now) {
    const std::time_t cutoff = now - static_cast<std::time_t>(daysBefore) * 24 * 60 * 60;
    const std::tm local = LocalTime(cutoff);
    char text[32];
    std::strftime(text, sizeof text, "%m/%d/%Y %H:%M", &local);
    return text;
}

std::string BuildStudySelectStatement(const ArchiverConfig& config, std::time_t now) {
    return "SELECT EXAM.IMAGE_PATH,EXAM.EXAM_DATE,PATIENT.NAME_L,PATIENT.NAME_F,EXAM.EXAM_ID,"
           "EXAM.PAT_ID ,EXAM.READER " +
           WaitingStudiesFilter(config, now) + " ORDER BY EXAM.EXAM_DATE";
}

bool GetStudyList(const ArchiverConfig& config, StudyList& studies, int maxStudies) {
    switch (CheckSelection(config)) {
        case SelectionCheck::MissingValues:
            return false;
        case SelectionCheck::RefusedColumn:
            studies.clear();
            return false;
        case SelectionCheck::Ready:
            break;
    }
    DebugLog("Add Archive PathToDB");
    AddArchiveColumn(config);
    DebugLog("GetStudyList begin");
    studies.clear();
    try {
        bool complete = true;
        if (ListWaitingStudies(config, studies, maxStudies, complete) == 0) {
            DebugLog("GetStudyList end(no records)");
            return complete;
        }
        DebugLog("GetStudyList 2");
        DebugLog("GetStudyList 3");
        DebugLog("GetStudyList end");
        return complete;
    } catch (const CCVAException& failure) {
        LogSelectionFailure(failure);
        return false;
    }
}

std::string StudyCountStatus(std::size_t waitingStudies) {
    if (waitingStudies == 0) return "No studies to be archived";
    return std::to_string(waitingStudies) + " studies to be archived";
}

}  // namespace mirabel
