#pragma once
// The main window's side of its runs: the studies it lists, the destination it has selected,
// the deletion candidates its dialogs keep, and the state of the operation in progress, under
// the names the system gives them. Only the window's side names these; it hands them to an
// archive run, a deletion pass or a manual write in that operation's context.
#include "archive/RunContext.h"
#include "archive/RunState.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

// The studies waiting to be archived, oldest exam first; whoever refills it (the study
// selection, the manual write) replaces them all.
extern StudyList g_StudyList;
// The selected destination; null when none is.
extern ArchiveDestination* g_pCurrentArchive;

// The deletion candidates, from program start to its end: they outlive every dialog.
DeletionCandidates& WindowCandidates();
extern CandidateList& g_ServerCandidates;
extern CandidateList& g_TempCandidates;

// The operation the window started: its progress window (null while idle) and its stop flag.
RunControl& WindowRunControl();
extern ProgressWindow*& g_pProgressDlg;
extern int& g_nStopFlag;

// Cancel of the window's operation, and whether it was pressed.
void RequestStop();
bool StopRequested();

// The window's archive run: g_StudyList to g_pCurrentArchive under the window's run control.
RunContext WindowRunContext();

}  // namespace mirabel
