#include "removal/CopyEvidence.h"

#include <sys/stat.h>

#include <unordered_map>

#include "archive/CopyVerification.h"
#include "archive/StudyFiles.h"
#include "archive/StudyPaths.h"
#include "core/Text.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

struct CopyFile {
    std::uint64_t size = 0;
    fs::path path;  // file-system copies only
};

// The copy's files by name: an exact match first, else one whose name differs in case only
// (media often show names in upper case). Each copy file stands for one local file only: two
// local names that differ in case only need two copy files.
class CopyFiles {
  public:
    void Add(const std::string& name, CopyFile file) {
        const std::size_t index = entries_.size();
        entries_.push_back({std::move(file), false});
        byName_.emplace(name, index);
        byLowerName_.emplace(ToAsciiLower(name), index);
    }
    // Matches every name to a copy file; the first name left without one, or nullptr.
    const std::string* Match(const std::vector<std::string>& names) {
        std::vector<const std::string*> unmatched;
        for (const std::string& name : names) {
            const auto exact = byName_.find(name);
            if (exact == byName_.end() || !Claim(name, exact->second)) unmatched.push_back(&name);
        }
        for (const std::string* name : unmatched) {
            const auto [first, last] = byLowerName_.equal_range(ToAsciiLower(*name));
            auto other = first;
            while (other != last && !Claim(*name, other->second)) ++other;
            if (other == last) return name;
        }
        return nullptr;
    }
    const CopyFile* Find(const std::string& name) const {
        const auto found = matched_.find(name);
        return found == matched_.end() ? nullptr : &entries_[found->second].file;
    }

  private:
    struct Entry {
        CopyFile file;
        bool claimed;
    };
    bool Claim(const std::string& name, std::size_t index) {
        if (entries_[index].claimed) return false;
        entries_[index].claimed = true;
        matched_[name] = index;
        return true;
    }

    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::unordered_multimap<std::string, std::size_t> byLowerName_;
    std::unordered_map<std::string, std::size_t> matched_;
};

bool SameObject(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The copy folder is the study folder itself, or lies inside the image root (after following
// every link on its way).
bool IsInsideOriginal(const fs::path& copyFolder, const fs::path& studyFolder,
                      const std::string& imageRoot) {
    struct stat copy {
    }, study{}, root{};
    if (::stat(copyFolder.c_str(), &copy) != 0) return false;
    if (::stat(studyFolder.c_str(), &study) == 0 && SameObject(copy, study)) return true;
    if (::stat(ToNativeSeparators(imageRoot).c_str(), &root) != 0) return false;
    std::error_code error;
    for (fs::path at = fs::canonical(copyFolder, error); !error && !at.empty();
         at = at.parent_path()) {
        struct stat level {};
        if (::stat(at.c_str(), &level) == 0 && SameObject(level, root)) return true;
        if (at == at.parent_path()) break;
    }
    return false;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           SameObject(first, second);
}

Evidence Verdict(EvidenceVerdict verdict, std::string why) {
    return {verdict, std::move(why), ""};
}

// Names and sizes of every file against the copy's files; the first that does not match.
std::optional<Evidence> FirstLacking(CopyFiles& copy, const std::string& where,
                                     const std::vector<FileToGo>& files) {
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const FileToGo& file : files) names.push_back(file.name);
    if (const std::string* lacking = copy.Match(names))
        return Verdict(EvidenceVerdict::Lacking, *lacking + " is not in the copy " + where);
    for (const FileToGo& file : files) {
        const CopyFile* copied = copy.Find(file.name);
        if (!copied)
            return Verdict(EvidenceVerdict::Lacking, file.name + " is not in the copy " + where);
        if (copied->size != file.size)
            return Verdict(EvidenceVerdict::Lacking, file.name + " has " +
                                                         std::to_string(copied->size) +
                                                         " bytes in the copy " + where + ", " +
                                                         std::to_string(file.size) + " here");
    }
    return std::nullopt;
}

}  // namespace

Evidence CheckFolderCopy(const fs::path& copyFolder, const fs::path& studyFolder,
                         const std::string& imageRoot, const std::vector<FileToGo>& files,
                         bool compareBytes) {
    const std::string where = copyFolder.string();
    if (IsInsideOriginal(copyFolder, studyFolder, imageRoot))
        return Verdict(
            EvidenceVerdict::IsOriginal,
            "the copy " + where + " is the study folder itself or inside the image root");
    const std::optional<std::vector<StudyFile>> listed = ListStudyFiles(copyFolder);
    if (!listed)
        return Verdict(EvidenceVerdict::NotReached, "the copy " + where + " cannot be read");
    CopyFiles copy;
    for (const StudyFile& file : *listed) copy.Add(file.name, {file.size, file.path});
    if (std::optional<Evidence> lacking = FirstLacking(copy, where, files)) return *lacking;
    for (const FileToGo& file : files) {
        const fs::path& copied = copy.Find(file.name)->path;
        if (file.links > 1 && SameFile(file.path, copied))
            return Verdict(EvidenceVerdict::IsOriginal,
                           file.name + " in the copy " + where + " is the original file itself");
        if (compareBytes && !CompareFiles(file.path.string(), copied.string()))
            return Verdict(EvidenceVerdict::Differs,
                           file.name + " differs from its copy in " + where);
    }
    return {EvidenceVerdict::Complete, "",
            where + ": " + std::to_string(files.size()) + " files, names and sizes" +
                (compareBytes ? ", bytes compared" : "")};
}

Evidence CheckListedCopy(const std::vector<ListedCopyFile>& listing, const std::string& where,
                         const std::vector<FileToGo>& files) {
    CopyFiles copy;
    for (const ListedCopyFile& entry : listing)
        if (!entry.isFolder) copy.Add(entry.name, {entry.size, {}});
    if (std::optional<Evidence> lacking = FirstLacking(copy, where, files)) return *lacking;
    return {EvidenceVerdict::Complete, "",
            where + ": " + std::to_string(files.size()) + " files, names and sizes listed"};
}

}  // namespace mirabel
