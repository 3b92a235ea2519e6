#pragma once
// Writes single fields of EXAM rows, one row at a time, over one connection to the image
// database that stays open from the first write until the writer goes. Each write is a
// transaction of its own that waits for other writers as long as the busy timeout allows. A pass
// that sets many rows (the deletion sets one a study) then pays for connecting once instead of once
// a row.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ArchiverConfig.h"
#include "db/HandleScope.h"

namespace mirabel {

class ExamRowWriter {
  public:
    // Connects under handleName at the first Write. A connection held across message pumps
    // needs a name no window handler uses, as a handler that opens a handle of the same name
    // would destroy it.
    ExamRowWriter(const ArchiverConfig& config, std::string handleName);
    ExamRowWriter(const ExamRowWriter&) = delete;
    ExamRowWriter& operator=(const ExamRowWriter&) = delete;

    // Writes value into the named column of the EXAM row with the given exam id, which must be
    // numeric, and commits it before returning. True when the row was updated; false when the
    // row no longer exists. Throws DatabaseError when the exam id is not a number or a database
    // call fails (the layer has logged why); the connection is then closed, and the next Write
    // connects again.
    bool Write(const std::string& examId, const std::string& field, const std::string& value);
    // The same for several rows (exam id and value) in one transaction, committed together:
    // for each, whether its row was updated. Throws as Write does (nothing written).
    std::vector<bool> WriteRows(const std::string& field,
                                const std::vector<std::pair<std::string, std::string>>& values);

    // The named fields of the EXAM row with that exam id, as text; nullopt when the row no
    // longer exists. Throws as Write does.
    std::optional<std::vector<std::string>> Read(const std::string& examId,
                                                 const std::vector<std::string>& fields);

    // The same over the EXAM row and its PATIENT row: fields of either table; nullopt when either
    // row no longer exists.
    std::optional<std::vector<std::string>> ReadWithPatient(const std::string& examId,
                                                            const std::vector<std::string>& fields);

    // Proves, without changing anything, that the field of the row could be written now
    // (waiting for other writers as long as the busy timeout allows). Throws as Write does.
    void ProveWritable(const std::string& examId, const std::string& field);

  private:
    CAdoDatabase* Connection();
    std::optional<std::vector<std::string>> ReadFirstRow(const std::string& statement,
                                                         const std::vector<std::string>& fields);
    template <typename Step>
    auto OnConnection(Step&& step);

    const ArchiverConfig& config_;
    std::string handleName_;
    std::optional<HandleScope> handles_;  // the connection's scope, while connected
    CAdoDatabase* db_ = nullptr;
};

}  // namespace mirabel
