#pragma once
// The last step of a study transfer: the study's EXAM row records where the copy lies.
#include <string>

#include "core/ArchiverConfig.h"

namespace mirabel {

// True when the exam id is a plain decimal number: it is placed unquoted in a statement.
bool IsNumericExamId(const std::string& examId);

// Writes value into the named column of the EXAM row with the given exam id, which must be
// numeric. True when the row was updated; false when the row no longer exists. Throws
// DatabaseError when a database call fails (the layer has logged why). The connection is closed
// on every way out.
bool WriteExamField(const ArchiverConfig& config, const std::string& examId,
                    const std::string& field, const std::string& value);

// Writes value into the archive column (config.m_strDbField) of the EXAM row with the given
// exam id, which must be numeric. True when the row was updated; false when the row no longer
// exists. Throws DatabaseError when a database call fails (the layer has logged why), and
// CCVAException with the reason when the archive column is refused (ArchiveColumnRefusal). The
// connection is closed on every way out.
[[nodiscard]] bool RecordArchiveLocation(const ArchiverConfig& config, const std::string& examId,
                                         const std::string& value);

}  // namespace mirabel
