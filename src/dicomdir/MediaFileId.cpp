#include "dicomdir/MediaFileId.h"

#include <algorithm>
#include <vector>

#include "core/Text.h"

namespace mirabel {

namespace {

constexpr std::size_t kMaxComponents = 8;
constexpr std::size_t kMaxComponentLength = 8;

std::vector<std::string> SplitAtSeparators(const std::string& path) {
    std::vector<std::string> components;
    std::string current;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) components.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) components.push_back(current);
    return components;
}

bool IsConformantComponent(const std::string& component) {
    if (component.empty() || component.size() > kMaxComponentLength) return false;
    return std::all_of(component.begin(), component.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

}  // namespace

std::string MediaFileId(const std::string& imagePath, const std::string& fileName) {
    std::string id = "images";
    for (const std::string& component : SplitAtSeparators(imagePath)) id += "\\" + component;
    id += "\\" + fileName;
    return ToAsciiUpper(id);
}

bool IsConformantFileId(const std::string& fileId) {
    // Split by hand: an empty component (doubled or outer separator) must count as a fault.
    std::vector<std::string> components(1);
    for (char c : fileId) {
        if (c == '\\')
            components.emplace_back();
        else
            components.back() += c;
    }
    return components.size() <= kMaxComponents &&
           std::all_of(components.begin(), components.end(), IsConformantComponent);
}

}  // namespace mirabel
