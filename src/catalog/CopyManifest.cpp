#include "catalog/CopyManifest.h"

#include <algorithm>

#include "platform/Sha256.h"

namespace mirabel {

namespace {

// The image path with "/" between its levels and none at either end.
std::string SlashedImagePath(const std::string& imagePath) {
    std::string path = imagePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::size_t first = path.find_first_not_of('/');
    if (first == std::string::npos) return "";
    const std::size_t last = path.find_last_not_of('/');
    return path.substr(first, last - first + 1);
}

std::string StudyPrefix(const std::string& imagePath) {
    return "images/" + SlashedImagePath(imagePath) + "/";
}

bool NeedsEscape(std::string_view path) {
    return path.find_first_of("\\\n\r") != std::string_view::npos;
}

std::string Escaped(std::string_view path) {
    std::string text;
    for (const char c : path) {
        if (c == '\\')
            text += "\\\\";
        else if (c == '\n')
            text += "\\n";
        else if (c == '\r')
            text += "\\r";
        else
            text += c;
    }
    return text;
}

std::optional<std::string> Unescaped(std::string_view path) {
    std::string text;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '\\') {
            text += path[i];
            continue;
        }
        if (++i == path.size()) return std::nullopt;
        switch (path[i]) {
            case '\\':
                text += '\\';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return text;
}

// "<hex>  <path>" (text mode) or "<hex> *<path>" (binary mode), an optional leading "\".
std::optional<ManifestLine> ParseLine(std::string_view line) {
    const bool escaped = !line.empty() && line.front() == '\\';
    if (escaped) line.remove_prefix(1);
    if (line.size() < 66 || line[64] != ' ' || (line[65] != ' ' && line[65] != '*'))
        return std::nullopt;
    const std::string_view digest = line.substr(0, 64);
    if (!IsSha256Text(digest)) return std::nullopt;
    std::optional<std::string> path =
        escaped ? Unescaped(line.substr(66)) : std::string(line.substr(66));
    if (!path || path->empty()) return std::nullopt;
    return ManifestLine{std::string(digest), std::move(*path)};
}

}  // namespace

std::string ManifestPathFor(const std::string& imagePath) {
    return "manifests/" + SlashedImagePath(imagePath) + ".sha256";
}

std::string ManifestText(const std::string& imagePath, const std::vector<CopiedFile>& files) {
    const std::string prefix = StudyPrefix(imagePath);
    std::string text;
    for (const CopiedFile& file : files) {
        const std::string path = prefix + file.name;
        if (NeedsEscape(path))
            text += "\\" + file.sha256 + "  " + Escaped(path) + "\n";
        else
            text += file.sha256 + "  " + path + "\n";
    }
    return text;
}

std::optional<std::vector<ManifestLine>> ParseManifest(std::string_view text) {
    std::vector<ManifestLine> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return std::nullopt;  // cut in the middle of a line
        std::optional<ManifestLine> line = ParseLine(text.substr(0, end));
        if (!line) return std::nullopt;
        lines.push_back(std::move(*line));
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<std::vector<CopiedFile>> ManifestFiles(const std::string& imagePath,
                                                     const std::vector<ManifestLine>& lines) {
    const std::string prefix = StudyPrefix(imagePath);
    std::vector<CopiedFile> files;
    for (const ManifestLine& line : lines) {
        if (line.path.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
        const std::string name = line.path.substr(prefix.size());
        if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
        files.push_back({name, 0, line.sha256});
    }
    return files;
}

}  // namespace mirabel
