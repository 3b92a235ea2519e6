#pragma once
// The selection of studies waiting to be archived: exams whose archive column is still empty,
// filtered by the main window's criteria, oldest exam first, into a study list.
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "db/StudyRecord.h"

namespace mirabel {

inline constexpr int kMaxSelectedStudies = 500000;

// Refills studies from the image system's database: the oldest maxStudies rows, less those
// without a study folder. Never throws. True when every waiting study was read; false when:
// - connection values are missing: it returns at once and the list keeps its content
//   ("Variable is empty" in the debug log for the server kinds);
// - the archive column is refused (ArchiveColumnRefusal): the list is emptied, nothing is
//   added to EXAM, and the reason goes to the error log;
// - the database cannot be opened or read: the list is empty (or holds the rows read before a
//   failed read) and the error log says why.
bool GetStudyList(const ArchiverConfig& config, StudyList& studies,
                  int maxStudies = kMaxSelectedStudies);

// The age limit of a statement: "now" minus the given days (the time of day kept), as the text
// of an Access date literal, "%m/%d/%Y %H:%M" in local time.
std::string CutoffLiteral(int daysBefore, std::time_t now);

// The selection statement (Access dialect) for the criteria, with "now" as the age reference.
std::string BuildStudySelectStatement(const ArchiverConfig& config, std::time_t now);

// Adds the archive column (text, 255 characters) to EXAM when EXAM lacks it; a refused name is
// never added. Never throws and logs nothing of its own; a database that cannot be reached is
// logged by the layer.
void AddArchiveColumn(const ArchiverConfig& config);

// The EXAM columns that may hold the archive value (ArchiveColumnRefusal), in table order, for
// the archive-column combo box. A failure ends the list where it happened (the layer logs it);
// nothing is thrown.
std::vector<std::string> ListExamColumns(const ArchiverConfig& config);

// True when EXAM has the archive column: until the first selection adds it, no statement that
// names it can be read. False also when the columns cannot be read.
bool ExamHasArchiveColumn(const ArchiverConfig& config);

// "%d studies to be archived" for a number of waiting studies above 0, else "No studies to be
// archived".
std::string StudyCountStatus(std::size_t waitingStudies);

}  // namespace mirabel
