#include "dicomdir/MediumDicomDir.h"

#include <filesystem>
#include <optional>

#include "dicomdir/DicomDirLayout.h"
#include "dicomdir/DicomDirReader.h"
#include "dicomdir/DirWriteLog.h"
#include "dicomdir/DirectoryRecord.h"
#include "dicomdir/ImageHeader.h"
#include "dicomdir/RecordIndex.h"
#include "platform/AtomicFileWrite.h"
#include "platform/FileStamp.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDicomDirName = "DICOMDIR";
constexpr int kNotOpened = -1;
constexpr int kNotWritten = -1;

// DICOM viewers on other accounts read the medium too.
constexpr unsigned kDicomDirPermissions = 0644;

constexpr RecordLevel kLevels[] = {RecordLevel::Patient, RecordLevel::Study, RecordLevel::Series,
                                   RecordLevel::Image};

}  // namespace

struct MediumDicomDir::State {
    fs::path path;
    std::string label;
    int opened = kNotOpened;
    // The DICOMDIR file as last read or written here; nullopt while the medium has none.
    std::optional<FileStamp> stamp;
    DicomDirContents contents;
    RecordIndex index;
    bool pending = false;

    bool StillCurrent(const fs::path& wanted, const std::string& wantedLabel) const {
        return opened == 0 && wanted == path && wantedLabel == label && StampOf(path) == stamp;
    }

    void Read(const fs::path& wanted, const std::string& wantedLabel) {
        path = wanted;
        label = wantedLabel;
        pending = false;
        contents = DicomDirContents();
        DirWriteInfo("STARTUP " + path.string());
        stamp = StampOf(path);
        opened = ReadDicomDir(path, contents);
        index.IndexTree(contents.root);
        DirWriteTrace(ResultLine("open DICOMDIR", opened));
        if (opened != 0) DirWriteError("Attempt to open dicomdir failed.");
    }

    // The record of `level` under `parent` for the image, made and attached when there is none.
    DirectoryRecord* FindOrAdd(DirectoryRecord& parent, RecordLevel level, ImageHeader& image,
                               const std::string& fileId, bool& added) {
        added = false;
        if (DirectoryRecord* found = index.Find(parent, level, image.Key(level))) return found;
        std::optional<DirectoryRecord> made = image.NewRecord(level, fileId);
        if (!made) return nullptr;
        parent.children.push_back(std::make_unique<DirectoryRecord>(std::move(*made)));
        index.Add(parent, *parent.children.back());
        added = true;
        pending = true;
        return parent.children.back().get();
    }
};

MediumDicomDir::MediumDicomDir() : state_(std::make_unique<State>()) {}

MediumDicomDir::~MediumDicomDir() = default;

int MediumDicomDir::Open(const std::string& mediaRoot, const std::string& mediumLabel) {
    const fs::path wanted = fs::path(mediaRoot) / kDicomDirName;
    if (state_->StillCurrent(wanted, mediumLabel)) return 0;
    state_->Read(wanted, mediumLabel);
    return state_->opened;
}

void MediumDicomDir::AddFile(const std::string& copiedFile, const std::string& fileId) {
    if (state_->opened != 0) return;
    ImageHeader image(copiedFile);
    DirectoryRecord* parent = &state_->contents.root;
    bool added = false;
    for (RecordLevel level : kLevels) {
        parent = state_->FindOrAdd(*parent, level, image, fileId, added);
        if (!parent) {
            DirWriteError("no records could be made for " + copiedFile);
            return;
        }
    }
    const std::string uid = image.Key(RecordLevel::Image);
    if (!added) {
        DirWriteTrace("already listed " + uid + " " + fileId);
        return;
    }
    DirWriteTrace("added " + uid + " " + fileId);
}

int MediumDicomDir::Write() {
    State& s = *state_;
    if (s.opened != 0 || !s.pending) return s.opened;
    const std::optional<std::string> bytes = EncodeDicomDir(s.contents);
    const SystemResult<> replaced = bytes
                                        ? WriteFileAtomically(s.path, *bytes, kDicomDirPermissions)
                                        : SystemResult<>(SystemError{EFBIG});
    const bool written = replaced.ok();
    const int result = written ? 0 : kNotWritten;
    DirWriteTrace(ResultLine("write DICOMDIR", result) +
                  (written ? "" : " " + (bytes ? replaced.error().Text() : "larger than 4 GB")));
    if (!written) return result;
    s.stamp = StampOf(s.path);
    s.pending = false;
    return result;
}

}  // namespace mirabel
