#include "removal/StudyFileList.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "core/Text.h"
#include "platform/FileIo.h"
#include "platform/RegularFile.h"

namespace mirabel {

namespace {

constexpr std::size_t kMaxListBytes = 64u << 20;
constexpr char kNative = static_cast<char>(std::filesystem::path::preferred_separator);

// The whole file, when it is a regular file that can be read (a link or a pipe is not opened:
// it could point anywhere or never end); nullopt otherwise. tooLarge is set for a file beyond
// the limit, which is not read.
std::optional<std::string> ReadListFile(const FolderEntries& folder, bool& tooLarge) {
    std::string error;
    const std::optional<RegularFile> list = folder.OpenFile(kStudyListFile, error);
    if (!list) return std::nullopt;
    tooLarge = list->size > kMaxListBytes;
    if (tooLarge) return std::string();
    SystemResult<std::string> text = ReadToEnd(list->fd.Get(), kMaxListBytes);
    if (!text) return std::nullopt;
    return std::move(*text);
}

// Hands out the lines of a text one after the other, without their LF or CR LF.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // The next line; nullopt once the text is used up.
    std::optional<std::string_view> Next() {
        if (position_ >= text_.size()) return std::nullopt;
        std::size_t end = text_.find('\n', position_);
        if (end == std::string_view::npos) end = text_.size();
        std::string_view line = text_.substr(position_, end - position_);
        position_ = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    }

  private:
    std::string_view text_;
    std::size_t position_ = 0;
};

// A name that stays inside the study folder: not absolute (no leading separator, no drive),
// no ".." part, no NUL byte.
bool StaysInsideFolder(std::string_view name) {
    if (name.find('\0') != std::string_view::npos) return false;
    if (!name.empty() && (name.front() == '\\' || name.front() == '/')) return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = name.size();
        if (name.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

std::string NativeName(std::string_view name) {
    std::string native(name);
    for (char& c : native)
        if (c == '\\' || c == '/') c = kNative;
    return native;
}

// A count line: its leading integer, none when it is not positive.
long long Count(std::string_view line) {
    return std::max(LeadingInteger(line), 0LL);
}

StudyFileList Unusable(std::string problem) {
    return {FileListState::Unusable, {}, std::move(problem)};
}

// Lines 2 to the end: the groups and their names after the list file itself.
StudyFileList ReadGroups(LineReader& lines) {
    const char* const truncated = "the list ends before its counts are met";
    StudyFileList list{FileListState::Read, {kStudyListFile}, ""};
    if (!lines.Next() || !lines.Next()) return Unusable(truncated);
    const std::optional<std::string_view> groups = lines.Next();
    if (!groups) return Unusable(truncated);
    for (long long group = Count(*groups); group > 0; --group) {
        std::optional<std::string_view> header = lines.Next();
        std::optional<std::string_view> files = header ? lines.Next() : std::nullopt;
        if (!files) return Unusable(truncated);
        for (long long file = Count(*files); file > 0; --file) {
            const std::optional<std::string_view> name = lines.Next();
            if (!name) return Unusable(truncated);
            if (!StaysInsideFolder(*name))
                return Unusable("a name leads outside the study folder: " + std::string(*name));
            list.names.push_back(NativeName(*name));
        }
    }
    return list;
}

}  // namespace

StudyFileList ReadStudyFileList(const std::filesystem::path& studyDir) {
    return ReadStudyFileList(FolderEntries(studyDir));
}

StudyFileList ReadStudyFileList(const FolderEntries& studyDir) {
    bool tooLarge = false;
    const std::optional<std::string> text = ReadListFile(studyDir, tooLarge);
    if (!text) return {FileListState::NotOpened, {}, "cannot be opened"};
    if (tooLarge) return Unusable("larger than any list of a study");
    LineReader lines(*text);
    const std::optional<std::string_view> version = lines.Next();
    if (!version || version->find("Version1") == std::string_view::npos)
        return Unusable("the first line does not say Version1");
    return ReadGroups(lines);
}

void RemoveDuplicates(std::vector<std::string>& names) {
    std::unordered_set<std::string> seen;
    seen.reserve(names.size());
    std::erase_if(names, [&seen](const std::string& name) { return !seen.insert(name).second; });
}

}  // namespace mirabel
