// Temporary home of the study list until the study selection lands on this branch.
#include "db/StudyRecord.h"

std::vector<std::unique_ptr<StudyRecord>> g_StudyList;
