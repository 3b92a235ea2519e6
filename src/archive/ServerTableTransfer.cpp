#include "archive/ServerTableTransfer.h"

#include <vector>

#include "archive/RunState.h"
#include "archive/StudyFileLoop.h"
#include "archive/TableDataSend.h"
#include "archive/TableRowRead.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

// A send that failed because Cancel was pressed ends the study as stopped, not the run as
// refused by the server.
TransferOutcome SendFailed(const RunControl& control) {
    if (!control.StopRequested()) return TransferOutcome::DestinationFullOrRefused;
    LogStoppedByUser();
    return TransferOutcome::Failed;
}

}  // namespace

TransferOutcome SendStudyTableData(const RunControl& control, const ArchiverConfig& config,
                                   const ArchiveDestination& destination, const StudyRecord& study,
                                   const std::string& studyDirectory) {
    std::vector<std::string> names, values;
    if (!ReadTableRow(config, "PATIENT", names, values, std::string(study.PatientId())))
        return TransferOutcome::DestinationFullOrRefused;
    DebugLog("writing patient table data");
    std::string serverPatientId;
    if (!SendTableData(control, destination, "PATIENT", names, values, serverPatientId,
                       studyDirectory))
        return SendFailed(control);

    names.clear();
    values.clear();
    DebugLog("reading exam data");
    if (!ReadTableRow(config, "EXAM", names, values, std::string(study.ExamId())))
        return TransferOutcome::DestinationFullOrRefused;
    names.push_back("PAT_ID");
    values.push_back(serverPatientId);
    DebugLog("writing exam data");
    std::string examReply;
    if (!SendTableData(control, destination, "EXAM", names, values, examReply, studyDirectory))
        return SendFailed(control);
    return TransferOutcome::Archived;
}

}  // namespace mirabel
