#include "platform/RegistryHive.h"

#include <algorithm>

namespace mirabel {

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool RegistryNamesEqual(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool RegistryPathStartsWith(const RegistryPath& path, const RegistryPath& prefix) {
    return prefix.size() <= path.size() &&
           std::equal(
               prefix.begin(), prefix.end(), path.begin(),
               [](const std::string& x, const std::string& y) { return RegistryNamesEqual(x, y); });
}

bool RegistryPathsEqual(const RegistryPath& a, const RegistryPath& b) {
    return a.size() == b.size() && RegistryPathStartsWith(a, b);
}

RegistryPath NormalizeRegistryPath(const RegistryPath& path) {
    RegistryPath normalized;
    for (const std::string& name : path) {
        std::size_t start = 0;
        while (start <= name.size()) {
            std::size_t end = name.find('\\', start);
            if (end == std::string::npos) end = name.size();
            if (end > start) normalized.push_back(name.substr(start, end - start));
            start = end + 1;
        }
    }
    return normalized;
}

}  // namespace mirabel
