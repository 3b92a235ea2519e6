#pragma once
// Finding a record among the children of its parent without walking them: PATIENT records by
// patient's name and id, STUDY and SERIES records by their instance UID, IMAGE records by the
// SOP instance UID they reference. Keys are compared ignoring case.
#include <string>
#include <unordered_map>

#include "dicomdir/DirectoryRecord.h"

namespace mirabel {

// The key of a PATIENT record: its name and id together.
std::string PatientKey(const std::string& name, const std::string& id);

class RecordIndex {
  public:
    // Forgets everything and indexes every record of the tree below `root`.
    void IndexTree(DirectoryRecord& root);
    // The first child of `parent` of that level with that key; nullptr when there is none.
    DirectoryRecord* Find(const DirectoryRecord& parent, RecordLevel level,
                          const std::string& key) const;
    // Indexes `child` as a child of `parent`, unless an earlier child has its level and key.
    void Add(const DirectoryRecord& parent, DirectoryRecord& child);

  private:
    std::unordered_map<std::string, DirectoryRecord*> records_;
};

}  // namespace mirabel
