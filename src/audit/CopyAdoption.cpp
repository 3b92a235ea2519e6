#include "audit/CopyAdoption.h"

#include <fcntl.h>

#include <map>

#include "archive/CopyPlace.h"
#include "archive/CopyReading.h"
#include "archive/StudyFiles.h"
#include "archive/StudyTransferPlan.h"
#include "catalog/CopyManifest.h"
#include "log/Logs.h"
#include "platform/FileDescriptor.h"
#include "platform/Sha256.h"

namespace mirabel {

namespace {

enum class Adoption { Adopted, AlreadyKnown, Disagreed, NotReached };

// The names exam.ver lists: after the exam id and the count, a path and a size a file.
std::vector<std::string> NamesInExamVer(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    std::vector<std::string> names;
    for (std::size_t k = 2; k + 1 < lines.size(); k += 2) {
        const std::size_t cut = lines[k].find_last_of("/\\");
        names.push_back(cut == std::string::npos ? lines[k] : lines[k].substr(cut + 1));
    }
    return names;
}

// What the study's files should be: the manifest's digests when there is one (names only from
// the local folder or the copy's exam.ver otherwise).
struct Expected {
    std::vector<std::string> names;
    std::map<std::string, std::string> digests;  // from the manifest
};

std::optional<Expected> ExpectedFiles(CopyReader& reader, const ArchivedStudy& study) {
    Expected expected;
    if (const auto text = reader.ReadRootFile(ManifestPathFor(study.imagePath))) {
        const auto lines = ParseManifest(*text);
        const auto files = lines ? ManifestFiles(study.imagePath, *lines) : std::nullopt;
        if (!files) return std::nullopt;
        for (const CopiedFile& file : *files) {
            expected.names.push_back(file.name);
            expected.digests[file.name] = file.sha256;
        }
        return expected;
    }
    if (study.localFolder) {
        if (const auto local = ListStudyFiles(*study.localFolder)) {
            for (const StudyFile& file : *local) expected.names.push_back(file.name);
            return expected;
        }
    }
    std::string examVer;
    const CopyFileReading reading =
        reader.Read(kManifestFileName, [&](const char* b, std::size_t n) {
            examVer.append(b, n);
            return examVer.size() < (16u << 20);
        });
    if (reading.result != CopyFileReading::Result::Read) return std::nullopt;
    expected.names = NamesInExamVer(examVer);
    expected.names.push_back(kManifestFileName);
    return expected;
}

std::optional<std::string> LocalDigest(const std::filesystem::path& file) {
    const SystemResult<FileDescriptor> fd = FileDescriptor::Open(file, O_RDONLY | O_NOFOLLOW);
    if (!fd) return std::nullopt;
    return HashRestOfFile(fd->Get());
}

Adoption Adopt(CopyCatalog& copies, const ArchivedStudy& study, std::string& why) {
    const std::optional<CopyPlace> place = FindCopyPlace(study.archiveValue);
    if (!place) {
        why = "the destination of " + study.archiveValue + " is no longer in archives.p";
        return Adoption::NotReached;
    }
    if (copies.Find(study.examId, place->destination->m_strId)) return Adoption::AlreadyKnown;
    CopyAccess access = OpenCopyForReading(study.archiveValue, study.imagePath);
    if (access.reach != CopyReach::Reached) {
        why = access.why;
        return Adoption::NotReached;
    }
    const std::optional<Expected> expected = ExpectedFiles(*access.reader, study);
    if (!expected || expected->names.empty()) {
        why = "its files cannot be named (no manifest, no local folder, no exam.ver)";
        return Adoption::NotReached;
    }
    CatalogCopy copy{study.examId,
                     place->destination->m_strId,
                     study.archiveValue,
                     study.imagePath,
                     "",
                     {},
                     "",
                     ""};
    for (const std::string& name : expected->names) {
        const CopyFileReading reading = access.reader->Read(name);
        if (reading.result != CopyFileReading::Result::Read) {
            why = name + ": " + reading.why;
            return Adoption::Disagreed;
        }
        const auto manifest = expected->digests.find(name);
        if (manifest != expected->digests.end() && manifest->second != reading.sha256) {
            why = name + ": the copy differs from its manifest";
            return Adoption::Disagreed;
        }
        // The local exam.ver records every destination the study went to: it may differ.
        if (study.localFolder && name != kManifestFileName) {
            const std::optional<std::string> local = LocalDigest(*study.localFolder / name);
            if (local && *local != reading.sha256) {
                why = name + ": the copy differs from the original";
                return Adoption::Disagreed;
            }
        }
        copy.files.push_back({name, reading.size, reading.sha256});
    }
    copies.Record(copy);
    return Adoption::Adopted;
}

}  // namespace

AdoptionTally AdoptCopies(CopyCatalog& copies, const std::vector<ArchivedStudy>& studies,
                          const AuditProgress& progress) {
    AdoptionTally tally;
    for (const ArchivedStudy& study : studies) {
        std::string why;
        const Adoption result = Adopt(copies, study, why);
        const std::string name = "exam " + study.examId + " at " + study.archiveValue;
        switch (result) {
            case Adoption::Adopted:
                ++tally.adopted;
                if (progress) progress("adopted: " + name);
                break;
            case Adoption::AlreadyKnown:
                ++tally.alreadyKnown;
                break;
            case Adoption::Disagreed:
                ++tally.disagreed;
                ErrorLog("Adopt: the copy of " + name + " is not recorded - " + why);
                if (progress) progress("not adopted: " + name + ": " + why);
                break;
            case Adoption::NotReached:
                ++tally.notReached;
                ErrorLog("Adopt: the copy of " + name + " was not checked - " + why);
                if (progress) progress("not checked: " + name + ": " + why);
                break;
        }
    }
    return tally;
}

}  // namespace mirabel
