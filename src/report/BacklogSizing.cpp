#include "report/BacklogSizing.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "archive/StudyFiles.h"
#include "archive/StudyPaths.h"
#include "db/SelectionSteps.h"
#include "db/StudySelection.h"

namespace mirabel {

namespace {

std::string WhyNotReadable(const ArchiverConfig& config) {
    switch (CheckSelection(config)) {
        case SelectionCheck::MissingValues:
            return "the database settings are incomplete";
        case SelectionCheck::RefusedColumn:
            return "the archive column " + config.m_strDbField + " is refused";
        case SelectionCheck::Ready:
            break;
    }
    // A database that cannot be opened has no columns either: not a missing column.
    if (ListExamColumns(config).empty())
        return "the image database or its EXAM table cannot be read";
    if (!ExamHasArchiveColumn(config))
        return "EXAM has no column " + config.m_strDbField + " yet (the first run adds it)";
    return "";
}

// The layer's own fixed-width form "MM/DD/YYYY HH:MM": rearranged without parsing, as half a
// million rows come by (a scanf a row took a tenth of the report's time).
bool IsLayerDate(const std::string& text) {
    return text.size() == 16 && text[2] == '/' && text[5] == '/' && text[10] == ' ' &&
           text[13] == ':';
}

// The layer reads dates in the Access form "MM/DD/YYYY HH:MM", which does not sort as text:
// turned into "YYYY-MM-DD HH:MM", which does (and reads the same everywhere). Another form is
// kept as it is.
std::string SortableDate(const std::string& text) {
    if (IsLayerDate(text))
        return text.substr(6, 4) + "-" + text.substr(0, 2) + "-" + text.substr(3, 2) +
               text.substr(10);
    int month = 0, day = 0, year = 0, hour = 0, minute = 0;
    char rest[16] = "";
    const int read =
        std::sscanf(text.c_str(), "%d/%d/%d %d:%d%15s", &month, &day, &year, &hour, &minute, rest);
    if (read < 3 || month < 1 || month > 12 || day < 1 || day > 31) return text;
    char sortable[40];
    std::snprintf(sortable, sizeof sortable, "%04d-%02d-%02d %02d:%02d%s", year, month, day, hour,
                  minute, rest);
    return sortable;
}

bool IsDate(const std::string& text) {
    return !text.empty() && text != "NULL";
}

// Every waiting row once, in the database's own order: counted, the oldest date kept, and a
// uniform sample of image paths drawn (reservoir sampling, seeded so that two reports of the
// same backlog agree).
class BacklogScan {
  public:
    void Row(std::vector<std::string>& values) {
        if (!HasStudyFolder(values[0])) return;
        ++figures_.studies;
        if (IsDate(values[1])) {
            std::string date = SortableDate(values[1]);
            if (figures_.oldestExamDate.empty() || date < figures_.oldestExamDate)
                figures_.oldestExamDate = std::move(date);
        }
        const auto seen = static_cast<std::size_t>(figures_.studies);
        if (sample_.size() < kBacklogSampleFolders) {
            sample_.push_back(std::move(values[0]));
            return;
        }
        const std::size_t slot = std::uniform_int_distribution<std::size_t>(0, seen - 1)(random_);
        if (slot < kBacklogSampleFolders) sample_[slot] = std::move(values[0]);
    }

    // The sample measured; the total estimated from it when it is not every study.
    BacklogFigures Measured(const std::string& imageRoot) {
        std::uint64_t bytes = 0;
        for (const std::string& imagePath : sample_) {
            const auto folder = LocalStudyDirectory(imageRoot, imagePath);
            const auto files = folder ? ListStudyFiles(*folder) : std::nullopt;
            if (files) bytes += TotalSize(*files);
        }
        figures_.measured = static_cast<std::int64_t>(sample_.size());
        figures_.bytes =
            sample_.empty()
                ? 0
                : static_cast<std::uint64_t>(static_cast<long double>(bytes) / sample_.size() *
                                             static_cast<long double>(figures_.studies));
        return figures_;
    }

    // No folder measured: the size is unknown, not 0 (measured stays 0).
    BacklogFigures Counted() { return figures_; }

  private:
    BacklogFigures figures_;
    std::vector<std::string> sample_;
    std::mt19937_64 random_{20041117};
};

}  // namespace

BacklogFigures MeasureBacklog(const ArchiverConfig& config, BacklogSizes sizes) {
    BacklogFigures figures;
    figures.unknownBecause = WhyNotReadable(config);
    if (!figures.unknownBecause.empty()) return figures;
    BacklogScan scan;
    try {
        HandleScope handles;
        CAdoDatabase* db = ConnectForSelection(handles, config);
        CAdoRecordset* rs = NewSelectionRecordset(handles, db);
        OpenSelection(rs, "SELECT EXAM.IMAGE_PATH, EXAM.EXAM_DATE " +
                              WaitingStudiesFilter(config, std::time(nullptr)));
        ForEachRow(rs, {"IMAGE_PATH", "EXAM_DATE"}, INT_MAX,
                   [&](std::vector<std::string>& values) { scan.Row(values); });
        const bool complete = g_bDbError == 0;
        handles.Close(rs);
        handles.Close(db);
        if (!complete) throw CCVAException("the waiting studies could not all be read");
    } catch (const CCVAException& failure) {
        figures.unknownBecause =
            std::string("the image database cannot be read: ") + failure.what();
        return figures;
    }
    return sizes == BacklogSizes::Measured ? scan.Measured(config.m_strImagePath) : scan.Counted();
}

}  // namespace mirabel
