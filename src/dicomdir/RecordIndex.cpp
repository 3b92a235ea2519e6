#include "dicomdir/RecordIndex.h"

#include <cstring>

#include "core/Text.h"

namespace mirabel {

namespace {

// One string for parent, level and case-folded key: records of different parents never meet.
std::string Slot(const DirectoryRecord& parent, RecordLevel level, const std::string& key) {
    const DirectoryRecord* address = &parent;
    std::string slot(sizeof address + 1 + key.size(), '\0');
    std::memcpy(slot.data(), &address, sizeof address);
    slot[sizeof address] = static_cast<char>(level);
    for (std::size_t i = 0; i < key.size(); ++i) slot[sizeof address + 1 + i] = AsciiUpper(key[i]);
    return slot;
}

}  // namespace

std::string PatientKey(const std::string& name, const std::string& id) {
    return name + '\0' + id;
}

void RecordIndex::IndexTree(DirectoryRecord& root) {
    records_.clear();
    std::vector<DirectoryRecord*> parents{&root};
    while (!parents.empty()) {
        DirectoryRecord& parent = *parents.back();
        parents.pop_back();
        for (const auto& child : parent.children) {
            Add(parent, *child);
            parents.push_back(child.get());
        }
    }
}

DirectoryRecord* RecordIndex::Find(const DirectoryRecord& parent, RecordLevel level,
                                   const std::string& key) const {
    const auto found = records_.find(Slot(parent, level, key));
    return found == records_.end() ? nullptr : found->second;
}

void RecordIndex::Add(const DirectoryRecord& parent, DirectoryRecord& child) {
    if (child.level == RecordLevel::Other) return;
    records_.emplace(Slot(parent, child.level, child.key), &child);
}

}  // namespace mirabel
