#include "removal/MediaTypeArchive.h"

#include <exception>

#include "log/Logs.h"

namespace mirabel {

namespace {
constexpr std::size_t kMaxLoggedMessage = 399;
}

int SetMediaTypeArchive(ExamRowWriter& rows, const ArchiverConfig& config,
                        const std::string& examId) {
    try {
        return rows.Write(examId, MediaTypeColumn(config), "Archive") ? 1 : 0;
    } catch (const std::exception& failure) {
        ErrorLog(std::string(failure.what()).substr(0, kMaxLoggedMessage));
        return 0;
    }
}

}  // namespace mirabel
