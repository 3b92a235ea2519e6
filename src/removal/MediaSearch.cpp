#include "removal/MediaSearch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/ArchiveDestination.h"
#include "core/Operator.h"
#include "platform/FileDescriptor.h"
#include "platform/MountPoints.h"

namespace mirabel {

namespace {

// A label line is short; the label file is read this much at a time, and a line longer than
// any label is not read on without end.
constexpr std::size_t kLabelReadBytes = 4096;
constexpr std::size_t kMaxLineBytes = 1 << 20;

std::string LabelFileOf(const std::string& root) {
    const bool separated = !root.empty() && (root.back() == '\\' || root.back() == '/');
    return root + (separated ? "" : "/") + "cvlabel.txt";
}

}  // namespace

std::vector<std::string> LogicalDriveRoots() {
    std::vector<std::string> roots;
    for (const auto& destination : g_Archives)
        if (destination->Kind() == DestinationKind::Removable)
            roots.push_back(destination->m_strRootPath);
    for (std::string& mountPoint : MediaMountPoints()) roots.push_back(std::move(mountPoint));
    return roots;
}

std::string ReadFirstLine(const std::string& path) {
    FileDescriptor fd = FileDescriptor::Open(path, O_RDONLY | O_NONBLOCK);
    struct stat info {};
    if (!fd.IsValid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return "";
    std::string line;
    char block[kLabelReadBytes];
    while (line.size() < kMaxLineBytes) {
        const ssize_t got = ::read(fd.Get(), block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        const std::string_view bytes(block, static_cast<std::size_t>(got));
        const std::size_t end = bytes.find('\n');
        line.append(bytes.substr(0, end));
        if (end != std::string_view::npos) break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string MediumPromptText(const std::string& label) {
    return "Please enter media labeled " + label + ".\n\nClick OK when this is done.";
}

std::string FindMediaByLabel(const std::string& label) {
    do {
        for (const std::string& root : LogicalDriveRoots())
            if (ReadFirstLine(LabelFileOf(root)) == label) return root;
    } while (TheOperator().AskForMedium(MediumPromptText(label)));
    return "";
}

}  // namespace mirabel
