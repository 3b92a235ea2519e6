#pragma once
// Reading the PATIENT or EXAM row of a study from the image system's database, as the names
// and values the table-data script carries to another image server.
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"

namespace mirabel {

// Reads the row of table ("PATIENT": key is a patient id; any other: "EXAM", key is an exam
// id) and appends each field's name and value to the lists, in the statement's column order.
// A NULL field gives the text NULL; carriage returns and line feeds in a value become the
// three characters \cr and \lf, so a value can never start a new script line.
// False, nothing appended, when the key is not a number, the database cannot be reached,
// the row does not exist, or a value cannot be read. Never throws.
bool ReadTableRow(const ArchiverConfig& config, const std::string& table,
                  std::vector<std::string>& names, std::vector<std::string>& values,
                  const std::string& key);

}  // namespace mirabel
