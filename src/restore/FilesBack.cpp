#include "restore/FilesBack.h"

#include <algorithm>
#include <optional>

#include "archive/RunState.h"
#include "platform/FileIo.h"
#include "platform/Sha256.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

constexpr const char* kStudyList = "cv.dir";

std::string SizeText(std::uint64_t size) {
    return std::to_string(size) + " bytes";
}

// What the copy holds for a file, when the catalog did not record its hash: read to the end.
std::optional<std::string> CopyHash(CopyReader& copy, const std::string& name, std::string& why) {
    const CopyFileReading reading = copy.Read(name);
    if (reading.result == CopyFileReading::Result::Read) return reading.sha256;
    why = reading.why;
    return std::nullopt;
}

// Empty when the local file of that name holds the expected bytes; else why it does not.
std::string CompareLocalFile(CopyReader& copy, const FolderEntries& folder,
                             const ExpectedFile& file) {
    std::string why;
    const std::optional<RegularFile> local = folder.OpenFile(file.name, why);
    if (!local) return why;
    if (local->size != file.size)
        return file.name + " is already in the study folder with other bytes (" +
               SizeText(local->size) + " instead of " + SizeText(file.size) + ")";
    const std::optional<std::string> hash = HashRestOfFile(local->fd.Get());
    if (!hash) return file.name + " in the study folder cannot be read";
    const std::optional<std::string> expected =
        file.sha256.empty() ? CopyHash(copy, file.name, why) : file.sha256;
    if (!expected) return why;
    if (*hash != *expected) return file.name + " is already in the study folder with other bytes";
    return "";
}

// Writes one file under its hidden name and checks what was written, leaving it open and
// unflushed (the batch flushes it); an invalid descriptor with why when the bytes are not what
// was archived or cannot be written (the hidden file is then gone).
FileDescriptor WriteHidden(CopyReader& copy, const FolderEntries& folder, const ExpectedFile& file,
                           const std::string& hidden, std::string& why) {
    FileDescriptor out = folder.CreateNewFile(hidden, 0666, why);
    if (!out.IsValid()) return out;
    std::string writeError;
    const CopyFileReading reading = copy.Read(file.name, [&](const char* bytes, std::size_t size) {
        const SystemResult<> written = WriteAll(out.Get(), std::string_view(bytes, size));
        if (written) return true;
        writeError = written.error().Text();
        return false;
    });
    if (!writeError.empty())
        why = file.name + " cannot be written into the study folder: " + writeError;
    else if (reading.result != CopyFileReading::Result::Read)
        why = reading.why;
    else if (reading.size != file.size)
        why = file.name + ": the copy holds " + SizeText(reading.size) + " instead of " +
              SizeText(file.size);
    else if (!file.sha256.empty() && reading.sha256 != file.sha256)
        why = file.name + ": the copy's bytes differ from those archived";
    if (why.empty()) return out;
    // Whatever it held, the hidden file goes.
    static_cast<void>(out.Close());
    folder.RemoveLeaf(hidden);
    return FileDescriptor();
}

// At most this many hidden files are open at once; a larger study is flushed in batches.
constexpr std::size_t kOpenAtOnce = 128;

void ShowFileProgressAndPump(const RunControl& control, int current, int total) {
    if (control.StopRequested()) return;
    ShowFileProgress(control, current, total);
    PeekAndPump();
}

}  // namespace

// The files written under hidden names and not yet renamed. They are flushed together (every
// file's writing started before the first is waited for), so that the storage commits them at
// once rather than one commit a file, and only then renamed into place. Whatever is still hidden
// when the batch goes away is removed.
class StudyFilesBack::HiddenFiles {
  public:
    explicit HiddenFiles(const FolderEntries& folder) : folder_(folder) {}
    ~HiddenFiles() {
        for (const std::string& hidden : written_) folder_.RemoveLeaf(hidden);
    }
    HiddenFiles(const HiddenFiles&) = delete;
    HiddenFiles& operator=(const HiddenFiles&) = delete;

    // Writes the file under its hidden name; empty when written, else why not.
    std::string Write(CopyReader& copy, const ExpectedFile& file) {
        const std::string hidden = HiddenRestoreName(file.name);
        // Left by an attempt that was cut short: it is ours, and never a file of the study.
        if (const RemovalOutcome left = folder_.RemoveLeaf(hidden);
            left.result != RemovalResult::Removed)
            return left.reason;
        std::string why;
        FileDescriptor out = WriteHidden(copy, folder_, file, hidden, why);
        if (!out.IsValid()) return why;
        written_.push_back(hidden);
        names_.push_back(file.name);
        open_.push_back(std::move(out));
        return open_.size() < kOpenAtOnce ? "" : FlushOpen();
    }

    // Renames into place every file written but `last`, or only `last`; empty when done.
    std::string Rename(const std::string& last, bool lastOnly) {
        std::string why;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if ((names_[i] == last) != lastOnly || written_[i].empty()) continue;
            if (!folder_.RenameLeaf(written_[i], names_[i], why)) return why;
            written_[i].clear();
        }
        return "";
    }

    // Starts writing the files still open to the storage, without waiting.
    void StartFlush() {
        for (const FileDescriptor& file : open_) sys::StartWriteBack(file.Get());
    }

    // Flushes and closes the files still open; empty when their bytes are on the storage. Every
    // file's writing is started before the first is waited for, so that the storage takes them
    // in one go rather than one commit a file.
    std::string FlushOpen() {
        StartFlush();
        std::string why;
        for (std::size_t i = 0; i < open_.size() && why.empty(); ++i) {
            const std::string& name = names_[names_.size() - open_.size() + i];
            if (const SystemResult<> flushed = sys::DataSync(open_[i].Get()); !flushed)
                why = name + " cannot be flushed in the study folder: " + flushed.error().Text();
            else if (const SystemResult<> closed = open_[i].Close(); !closed)
                why = name + " cannot be flushed in the study folder: " + closed.error().Text();
        }
        open_.clear();
        return why;
    }

    std::size_t OpenCount() const { return open_.size(); }

  private:
    const FolderEntries& folder_;
    std::vector<std::string> written_;  // hidden names, emptied once renamed
    std::vector<std::string> names_;    // the names they take
    std::vector<FileDescriptor> open_;  // the last ones written, not yet flushed
};

std::string HiddenRestoreName(const std::string& name) {
    return ".mirabel-restore-" + name;
}

StudyFilesBack::StudyFilesBack(FolderEntries folder)
    : folder_(std::move(folder)), hidden_(std::make_unique<HiddenFiles>(folder_)) {}

StudyFilesBack::~StudyFilesBack() = default;

FilesBack StudyFilesBack::Write(const RunControl& control, CopyReader& copy,
                                std::vector<ExpectedFile> files) {
    std::stable_partition(files.begin(), files.end(),
                          [](const ExpectedFile& file) { return file.name != kStudyList; });
    FilesBack back;
    // Every file already there is judged before the first is written: a study that cannot come
    // back whole is not touched at all.
    std::vector<bool> keep(files.size(), false);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!folder_.HasLeaf(files[i].name)) continue;
        back.problem = CompareLocalFile(copy, folder_, files[i]);
        if (!back.problem.empty()) return back;
        keep[i] = true;
        ++back.kept;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        ShowFileProgressAndPump(control, static_cast<int>(i + 1), static_cast<int>(files.size()));
        if (keep[i]) continue;
        back.problem = hidden_->Write(copy, files[i]);
        if (!back.problem.empty()) {
            // What was written so far goes at once, not when the study is done with.
            hidden_ = std::make_unique<HiddenFiles>(folder_);
            return back;
        }
        ++back.written;
        back.bytes += files[i].size;
    }
    return back;
}

std::string StudyFilesBack::PutInPlace() {
    for (const auto& step : kPlacingSteps)
        if (std::string why = (this->*step)(); !why.empty()) return why;
    return "";
}

std::string StudyFilesBack::StartFlushingFiles() {
    hidden_->StartFlush();
    return "";
}

std::string StudyFilesBack::FlushFiles() {
    return hidden_->FlushOpen();
}

std::string StudyFilesBack::RenameOthers() {
    return hidden_->Rename(kStudyList, false);
}

std::string StudyFilesBack::RenameStudyList() {
    return hidden_->Rename(kStudyList, true);
}

std::string StudyFilesBack::FlushFolder() {
    std::string why;
    return folder_.Flush(why) ? "" : why;
}

std::size_t StudyFilesBack::OpenFiles() const {
    return hidden_->OpenCount();
}

FilesBack BringFilesBack(const RunControl& control, CopyReader& copy, FolderEntries folder,
                         std::vector<ExpectedFile> files) {
    StudyFilesBack study(std::move(folder));
    FilesBack back = study.Write(control, copy, std::move(files));
    if (back.problem.empty()) back.problem = study.PutInPlace();
    back.done = back.problem.empty();
    return back;
}

}  // namespace mirabel
