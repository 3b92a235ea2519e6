// Stand-in until the database layer lands on this branch: every write-back fails.
#include "archive/ArchiveWriteBack.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

bool IsNumericExamId(const std::string& examId) {
    const std::size_t digits = !examId.empty() && examId.front() == '-' ? 1 : 0;
    return examId.size() > digits &&
           std::all_of(examId.begin() + static_cast<long>(digits), examId.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool RecordArchiveLocation(const ArchiverConfig&, const std::string&, const std::string&) {
    throw std::runtime_error("database error");
}
