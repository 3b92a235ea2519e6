#pragma once
// The selection of studies waiting to be archived: exams whose archive column is still empty,
// filtered by the main window's criteria, oldest exam first, into g_StudyList.
#include <ctime>
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "db/StudyRecord.h"

namespace mirabel {

inline constexpr int kMaxSelectedStudies = 500000;

// Refills g_StudyList from the image system's database. Never throws: a failure leaves the
// list empty and writes the error log. With connection values missing it returns at once and
// the list keeps its content ("Variable is empty" in the debug log for the server kinds).
void GetStudyList(const ArchiverConfig& config);

// The age limit of a statement: "now" minus the given days (the time of day kept), as the text
// of an Access date literal, "%m/%d/%Y %H:%M" in local time.
std::string CutoffLiteral(int daysBefore, std::time_t now);

// The selection statement (Access dialect) for the criteria, with "now" as the age reference.
std::string BuildStudySelectStatement(const ArchiverConfig& config, std::time_t now);

// Adds the archive column (text, 255 characters) to EXAM when EXAM lacks it. Never throws and
// logs nothing of its own; a database that cannot be reached is logged by the layer.
void AddArchiveColumn(const ArchiverConfig& config);

// The names of the EXAM columns, in table order, for the archive-column combo box. A failure
// ends the list where it happened (the layer logs it); nothing is thrown.
std::vector<std::string> ListExamColumns(const ArchiverConfig& config);

// "%d studies to be archived" for a non-empty g_StudyList, else "No studies to be archived".
std::string StudyCountStatus();

}  // namespace mirabel
