#include "app/WindowRun.h"

namespace mirabel {

StudyList g_StudyList;
ArchiveDestination* g_pCurrentArchive = nullptr;

DeletionCandidates& WindowCandidates() {
    // Built at first use, so that the names below can refer to it during start-up.
    static DeletionCandidates candidates;
    return candidates;
}

CandidateList& g_ServerCandidates = WindowCandidates().server;
CandidateList& g_TempCandidates = WindowCandidates().temp;

RunControl& WindowRunControl() {
    static RunControl control;
    return control;
}

ProgressWindow*& g_pProgressDlg = WindowRunControl().ProgressSlot();
int& g_nStopFlag = WindowRunControl().StopFlag();

void RequestStop() {
    WindowRunControl().RequestStop();
}

bool StopRequested() {
    return WindowRunControl().StopRequested();
}

RunContext WindowRunContext() {
    return {g_StudyList, g_pCurrentArchive, WindowRunControl()};
}

}  // namespace mirabel
