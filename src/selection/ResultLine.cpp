#include "selection/ResultLine.h"

#include "db/ArchiveValue.h"

namespace mirabel {

namespace {

bool ContinuesCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

std::string FitToWidth(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < text.size(); ++end) {
        if (ContinuesCharacter(text[end])) continue;
        if (characters == width) break;
        ++characters;
    }
    return text.substr(0, end) + std::string(width - characters, ' ');
}

std::vector<std::string> ResultColumns(const SearchResult& result, bool withSize) {
    std::vector<std::string> columns = {
        result.m_strLastName, result.m_strFirstName,
        result.m_strMrn,      result.m_strExamDate,
        result.m_strExamType, IsArchiveValue(result.m_strArchiveValue) ? "Y" : "N"};
    if (withSize) columns.push_back(result.m_nSize < 0 ? "-" : std::to_string(result.m_nSize));
    return columns;
}

std::string ResultLine(const SearchResult& result) {
    std::string line = FitToWidth(result.m_strLastName + ", " + result.m_strFirstName, 23);
    line = FitToWidth(line + "  " + result.m_strMrn, 38);
    line = FitToWidth(line + "  " + result.m_strExamDate, 57);
    line = FitToWidth(line + "  " + result.m_strExamType, 70);
    return line + (IsArchiveValue(result.m_strArchiveValue) ? " Y" : " N");
}

}  // namespace mirabel
