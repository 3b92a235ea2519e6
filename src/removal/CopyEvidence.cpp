#include "removal/CopyEvidence.h"

#include <sys/stat.h>

#include <unordered_map>

#include "archive/CopyVerification.h"
#include "archive/StudyFiles.h"
#include "platform/FolderEntries.h"
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

// One file against its copy, opened in the copy's folder: the copy must not be the file itself
// (another name of it), and, when asked, must hold the same bytes. A file with one name and no
// bytes to compare is not opened: its copy, listed as a regular file of its size, cannot be it.
std::optional<Evidence> CompareWithCopy(const FolderEntries& folder, const std::string& copyName,
                                        const FileToGo& file, const std::string& where,
                                        bool compareBytes) {
    if (file.links <= 1 && !compareBytes) return std::nullopt;
    std::string error;
    const std::optional<RegularFile> copied = folder.OpenFile(copyName, error);
    if (!copied) return Verdict(EvidenceVerdict::NotReached, "the copy " + error);
    struct stat local {};
    if (file.links > 1 && ::stat(file.path.c_str(), &local) == 0 &&
        local.st_dev == copied->device && local.st_ino == copied->inode)
        return Verdict(EvidenceVerdict::IsOriginal,
                       file.name + " in the copy " + where + " is the original file itself");
    if (!compareBytes) return std::nullopt;
    const std::optional<RegularFile> original = OpenRegularFile(file.path, error);
    if (!original || !CompareOpenFiles(*original, file.path.string(), *copied,
                                       (fs::path(where) / copyName).string()))
        return Verdict(EvidenceVerdict::Differs, file.name + " differs from its copy in " + where);
    return std::nullopt;
}

}  // namespace

Evidence CheckFolderCopy(const fs::path& copyFolder, const fs::path& studyFolder,
                         const std::string& imageRoot, const std::vector<FileToGo>& files,
                         bool compareBytes, const std::string& probe) {
    const std::string where = copyFolder.string();
    // One open folder for every look at the copy: what a path leads to cannot change between
    // the look that proves it is no original and the looks at its files.
    const FolderEntries folder(copyFolder);
    if (!folder.IsOpen())
        return Verdict(EvidenceVerdict::NotReached, "the copy " + where + " cannot be read");
    const std::optional<bool> original =
        folder.IsOrIsBelowAny({studyFolder, ToNativeSeparators(imageRoot)});
    if (!original)
        return Verdict(
            EvidenceVerdict::NotReached,
            "the copy " + where +
                " cannot be told from the study folder: the folders above it cannot be followed");
    if (*original)
        return Verdict(
            EvidenceVerdict::IsOriginal,
            "the copy " + where + " is the study folder itself or inside the image root");
    // The study's folder reached another way (a share or mount of the image store) shows the
    // file that was just made in the study folder.
    if (!probe.empty() && folder.HasLeaf(probe))
        return Verdict(EvidenceVerdict::IsOriginal,
                       "the copy " + where + " shows the study folder's own files");
    const std::optional<std::vector<FolderEntries::File>> listed = folder.RegularFiles();
    if (!listed)
        return Verdict(EvidenceVerdict::NotReached, "the copy " + where + " cannot be read");
    CopyFiles copy;
    for (const FolderEntries::File& file : *listed) copy.Add(file.name, {file.size, file.name});
    if (std::optional<Evidence> lacking = FirstLacking(copy, where, files)) return *lacking;
    for (const FileToGo& file : files)
        if (std::optional<Evidence> problem = CompareWithCopy(
                folder, copy.Find(file.name)->path.string(), file, where, compareBytes))
            return *problem;
    return {EvidenceVerdict::Complete, "",
            where + ": " + std::to_string(files.size()) + " files, names and sizes" +
                (compareBytes ? ", bytes compared" : "")};
}

Evidence CheckListedCopy(const std::vector<ListedCopyFile>& listing, const std::string& where,
                         const std::vector<FileToGo>& files, const std::string& probe) {
    CopyFiles copy;
    for (const ListedCopyFile& entry : listing)
        if (!probe.empty() && entry.name == probe)
            return Verdict(EvidenceVerdict::IsOriginal,
                           "the copy " + where + " shows the study folder's own files");
    for (const ListedCopyFile& entry : listing)
        if (!entry.isFolder) copy.Add(entry.name, {entry.size, {}});
    if (std::optional<Evidence> lacking = FirstLacking(copy, where, files)) return *lacking;
    return {EvidenceVerdict::Complete, "",
            where + ": " + std::to_string(files.size()) + " files, names and sizes listed"};
}

}  // namespace mirabel
