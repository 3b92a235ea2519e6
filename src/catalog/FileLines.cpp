#include "catalog/FileLines.h"

#include <cstdlib>

namespace mirabel {

namespace {

constexpr char kFieldEnd = '/';

}  // namespace

std::string FileLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k)
        line += (k ? std::string(1, kFieldEnd) : std::string()) + fields[k];
    return line + "\n";
}

std::vector<std::optional<std::vector<std::string>>> FileLineFields(const std::string& text,
                                                                    std::size_t count) {
    std::vector<std::optional<std::vector<std::string>>> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::vector<std::string> fields;
        std::size_t from = start;
        for (std::size_t cut; (cut = text.find(kFieldEnd, from)) < end; from = cut + 1)
            fields.push_back(text.substr(from, cut - from));
        fields.push_back(text.substr(from, end - from));
        if (fields.size() == count)
            lines.emplace_back(std::move(fields));
        else
            lines.emplace_back(std::nullopt);
    }
    return lines;
}

std::uint64_t SizeField(const std::string& field) {
    return std::strtoull(field.c_str(), nullptr, 10);
}

}  // namespace mirabel
