#include "catalog/RunRecording.h"

#include <exception>

#include "log/Logs.h"

namespace mirabel {

namespace {

void LogUnrecorded(const RunRecord& run, const char* why) {
    ErrorLog("The " + run.kind + " run that ended " + run.ended +
             " is not in the run history: " + why);
}

}  // namespace

bool RecordRunQuietly(CatalogDatabase& catalog, const RunRecord& run) {
    try {
        RunHistory(catalog).Record(run);
        return true;
    } catch (const std::exception& failure) {
        LogUnrecorded(run, failure.what());
        return false;
    }
}

bool RecordRunQuietly(const RunRecord& run) {
    try {
        CatalogDatabase catalog;
        return RecordRunQuietly(catalog, run);
    } catch (const std::exception& failure) {
        LogUnrecorded(run, failure.what());
        return false;
    }
}

}  // namespace mirabel
