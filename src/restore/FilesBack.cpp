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

// Writes one file under its hidden name and checks what was written; empty when it is on the
// storage, else why not (the hidden file is then gone).
std::string WriteHidden(CopyReader& copy, const FolderEntries& folder, const ExpectedFile& file,
                        const std::string& hidden) {
    std::string why;
    FileDescriptor out = folder.CreateNewFile(hidden, 0666, why);
    if (!out.IsValid()) return why;
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
    else if (const SystemResult<> flushed = sys::Fsync(out.Get()); !flushed)
        why = file.name + " cannot be flushed in the study folder: " + flushed.error().Text();
    else if (const SystemResult<> closed = out.Close(); !closed)
        why = file.name + " cannot be flushed in the study folder: " + closed.error().Text();
    if (why.empty()) return "";
    // Whatever it held, the hidden file goes.
    static_cast<void>(out.Close());
    folder.RemoveLeaf(hidden);
    return why;
}

std::string PutInPlace(CopyReader& copy, const FolderEntries& folder, const ExpectedFile& file) {
    const std::string hidden = HiddenRestoreName(file.name);
    // Left by an attempt that was cut short: it is ours, and never a file of the study.
    if (const RemovalOutcome left = folder.RemoveLeaf(hidden);
        left.result != RemovalResult::Removed)
        return left.reason;
    if (std::string why = WriteHidden(copy, folder, file, hidden); !why.empty()) return why;
    std::string why;
    if (folder.RenameLeaf(hidden, file.name, why)) return "";
    folder.RemoveLeaf(hidden);
    return why;
}

void ShowFileProgressAndPump(const RunControl& control, int current, int total) {
    if (control.StopRequested()) return;
    ShowFileProgress(control, current, total);
    PeekAndPump();
}

}  // namespace

std::string HiddenRestoreName(const std::string& name) {
    return ".mirabel-restore-" + name;
}

FilesBack BringFilesBack(const RunControl& control, CopyReader& copy, const FolderEntries& folder,
                         std::vector<ExpectedFile> files) {
    std::stable_partition(files.begin(), files.end(),
                          [](const ExpectedFile& file) { return file.name != kStudyList; });
    FilesBack back;
    // Every file already there is judged before the first is written: a study that cannot come
    // back whole is not touched at all.
    std::vector<bool> keep(files.size(), false);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!folder.HasLeaf(files[i].name)) continue;
        back.problem = CompareLocalFile(copy, folder, files[i]);
        if (!back.problem.empty()) return back;
        keep[i] = true;
        ++back.kept;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        ShowFileProgressAndPump(control, static_cast<int>(i + 1), static_cast<int>(files.size()));
        if (keep[i]) continue;
        back.problem = PutInPlace(copy, folder, files[i]);
        if (!back.problem.empty()) return back;
        ++back.written;
        back.bytes += files[i].size;
    }
    back.done = folder.Flush(back.problem);
    return back;
}

}  // namespace mirabel
