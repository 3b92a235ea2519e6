#include "archive/FtpListing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <optional>

#include "archive/FtpFileNames.h"
#include "core/Text.h"

namespace mirabel {

namespace {

// What one line of a listing says. A "total" line says nothing about the listing's format.
enum class LineKind { Entry, NoEntry, Total, Unread };

struct Line {
    LineKind kind = LineKind::Unread;
    RemoteEntry entry;
};

Line Entry(std::string_view name, std::uint64_t size, bool isFolder) {
    return {LineKind::Entry, RemoteEntry{std::string(name), size, isFolder}};
}
const Line kNoEntry{LineKind::NoEntry, {}};
const Line kTotal{LineKind::Total, {}};
const Line kUnread{LineKind::Unread, {}};

// Listings end their lines with CR LF; a line feed alone then stays inside its line, where it
// can only be part of a name. A server that ends lines with LF alone is read by LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
    const std::string_view end = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t at = text.find(end);
        lines.push_back(text.substr(0, at));
        if (at == std::string_view::npos) break;
        text.remove_prefix(at + end.size());
    }
    return lines;
}

std::optional<std::uint64_t> ReadSize(std::string_view digits) {
    if (!AllDigits(digits)) return std::nullopt;
    std::uint64_t size = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return size;
}

// The words of a line and where each begins; words are separated by runs of blanks.
struct Word {
    std::string_view text;
    std::size_t end = 0;  // the position just after the word in its line
};

std::vector<Word> SplitWords(std::string_view line) {
    std::vector<Word> words;
    std::size_t at = 0;
    while (at < line.size()) {
        if (line[at] == ' ') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(line.find(' ', at), line.size());
        words.push_back({line.substr(at, end - at), end});
        at = end;
    }
    return words;
}

// ---- MLSD ----------------------------------------------------------------------------------

// The value of a fact ("type=file;size=12;" holds type and size); names compare ignoring case.
std::optional<std::string_view> Fact(std::string_view facts, std::string_view wanted) {
    while (!facts.empty()) {
        const std::size_t semicolon = std::min(facts.find(';'), facts.size());
        const std::string_view fact = facts.substr(0, semicolon);
        const std::size_t equals = fact.find('=');
        if (equals != std::string_view::npos && EqualIgnoringCase(fact.substr(0, equals), wanted))
            return fact.substr(equals + 1);
        facts.remove_prefix(std::min(semicolon + 1, facts.size()));
    }
    return std::nullopt;
}

// "type=file;size=12;modify=20040117103000; IM 0001.dcm": the facts end at the first blank,
// the name is everything after it.
Line ReadMlsdLine(std::string_view line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank + 1 == line.size()) return kUnread;
    const std::string_view facts = line.substr(0, blank);
    const std::string_view name = line.substr(blank + 1);
    const std::optional<std::string_view> type = Fact(facts, "type");
    if (!type) return kUnread;
    if (EqualIgnoringCase(*type, "dir")) return Entry(name, 0, true);
    if (!EqualIgnoringCase(*type, "file")) return kNoEntry;  // cdir, pdir, links, devices
    const std::optional<std::string_view> sizeFact = Fact(facts, "size");
    const std::optional<std::uint64_t> size = sizeFact ? ReadSize(*sizeFact) : std::nullopt;
    return size ? Entry(name, *size, false) : kUnread;
}

// ---- LIST, Unix ----------------------------------------------------------------------------

bool IsUnixMode(std::string_view word) {
    constexpr std::string_view kTypes = "-dlbcps", kRights = "-rwxsStTlL";
    if (word.size() < 10 || kTypes.find(word[0]) == std::string_view::npos) return false;
    return std::all_of(word.begin() + 1, word.begin() + 10,
                       [&](char c) { return kRights.find(c) != std::string_view::npos; });
}

bool IsMonth(std::string_view word) {
    constexpr std::array kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                    "jul", "aug", "sep", "oct", "nov", "dec"};
    return std::any_of(kMonths.begin(), kMonths.end(),
                       [&](const char* month) { return EqualIgnoringCase(word, month); });
}

bool IsDay(std::string_view word) {
    return word.size() <= 2 && AllDigits(word);
}

// "10:30" or "2004".
bool IsClockOrYear(std::string_view word) {
    if (word.size() == 4) return AllDigits(word);
    const std::size_t colon = word.find(':');
    return colon != std::string_view::npos && AllDigits(word.substr(0, colon)) &&
           AllDigits(word.substr(colon + 1));
}

// The date's three words are found by their form, not by counting columns, so that a missing
// group or an owner with unusual characters does not shift them. The size stands before the
// month; exactly one blank separates the date from the name.
Line ReadUnixLine(std::string_view line, const std::vector<Word>& words) {
    const char type = words[0].text[0];
    if (type != '-' && type != 'd') return kNoEntry;  // links, devices, pipes, sockets
    for (std::size_t month = 3; month + 2 < words.size(); ++month) {
        if (!IsMonth(words[month].text) || !IsDay(words[month + 1].text) ||
            !IsClockOrYear(words[month + 2].text))
            continue;
        const std::optional<std::uint64_t> size = ReadSize(words[month - 1].text);
        const std::size_t nameAt = words[month + 2].end + 1;
        if (!size || nameAt >= line.size()) return kUnread;
        return Entry(line.substr(nameAt), type == '-' ? *size : 0, type == 'd');
    }
    return kUnread;
}

// ---- LIST, DOS -----------------------------------------------------------------------------

// "01-17-04" or "01-17-2004".
bool IsDosDate(std::string_view word) {
    if (word.size() != 8 && word.size() != 10) return false;
    return word[2] == '-' && word[5] == '-' && AllDigits(word.substr(0, 2)) &&
           AllDigits(word.substr(3, 2)) && AllDigits(word.substr(6));
}

// "10:30AM", "10:30PM" or "10:30".
bool IsDosTime(std::string_view word) {
    if (word.size() == 7 &&
        (EqualIgnoringCase(word.substr(5), "AM") || EqualIgnoringCase(word.substr(5), "PM")))
        word.remove_suffix(2);
    return word.size() == 5 && word[2] == ':' && AllDigits(word.substr(0, 2)) &&
           AllDigits(word.substr(3));
}

// The block after the time has a fixed width: "<DIR>" or the size, right-aligned, then one
// blank. The name starts right after it, so a name may begin with blanks.
constexpr std::size_t kDosBlockWidth = 22;

Line ReadDosLine(std::string_view line, const std::vector<Word>& words) {
    const std::size_t blockAt = words[1].end;
    if (line.size() <= blockAt + kDosBlockWidth) return kUnread;
    const std::string_view block = line.substr(blockAt, kDosBlockWidth);
    if (block.front() != ' ' || block.back() != ' ') return kUnread;
    const std::string_view name = line.substr(blockAt + kDosBlockWidth);
    const std::size_t first = block.find_first_not_of(' ');
    if (first == std::string_view::npos) return kUnread;
    const std::string_view value = block.substr(first, block.find_last_not_of(' ') + 1 - first);
    if (value == "<DIR>") return Entry(name, 0, true);
    const std::optional<std::uint64_t> size = ReadSize(value);
    return size ? Entry(name, *size, false) : kUnread;
}

Line ReadListLine(std::string_view line) {
    const std::vector<Word> words = SplitWords(line);
    if (words.empty()) return kTotal;
    if (words.size() == 2 && words[0].text == "total" && AllDigits(words[1].text)) return kTotal;
    if (IsUnixMode(words[0].text)) return ReadUnixLine(line, words);
    if (words.size() >= 3 && IsDosDate(words[0].text) && IsDosTime(words[1].text))
        return ReadDosLine(line, words);
    return kUnread;
}

// ---- what is kept ---------------------------------------------------------------------------

bool IsKeptName(std::string_view name) {
    return name != "." && name != ".." && !name.empty() && IsPortableFtpName(name);
}

// Two entries of one name cannot both be the server's file: neither is kept.
template <typename T, typename NameOf>
std::vector<T> WithoutRepeatedNames(std::vector<T> items, NameOf nameOf) {
    std::map<std::string, int> seen;
    for (const T& item : items) ++seen[nameOf(item)];
    std::erase_if(items, [&](const T& item) { return seen[nameOf(item)] > 1; });
    return items;
}

ListingText ReadLines(std::string_view text, Line (*readLine)(std::string_view)) {
    ListingText result;
    bool anyRead = false;
    for (const std::string_view line : SplitLines(text)) {
        if (line.empty()) continue;
        Line read = readLine(line);
        if (read.kind == LineKind::Unread) {
            if (result.unreadLine.empty()) result.unreadLine = line;
            continue;
        }
        anyRead = anyRead || read.kind != LineKind::Total;
        if (read.kind == LineKind::Entry && IsKeptName(read.entry.name))
            result.entries.push_back(std::move(read.entry));
    }
    if (!result.unreadLine.empty()) {
        result.format = anyRead ? ListingFormat::Broken : ListingFormat::Unknown;
        result.entries.clear();
        return result;
    }
    result.entries = WithoutRepeatedNames(std::move(result.entries),
                                          [](const RemoteEntry& entry) { return entry.name; });
    return result;
}

}  // namespace

ListingText ReadMlsdListing(std::string_view text) {
    return ReadLines(text, ReadMlsdLine);
}

ListingText ReadListListing(std::string_view text) {
    return ReadLines(text, ReadListLine);
}

std::vector<std::string> ReadNameListing(std::string_view text) {
    std::vector<std::string> names;
    for (const std::string_view line : SplitLines(text))
        if (IsKeptName(line) && line.front() != ' ' && line.back() != ' ') names.emplace_back(line);
    return WithoutRepeatedNames(std::move(names), [](const std::string& name) { return name; });
}

bool FeaturesOfferMlsd(std::string_view replies) {
    // The features are the lines between "211-" and "211 " that begin with a blank
    // (" MLST type*;size*;"); other replies, such as a greeting, may hold anything.
    bool inFeatures = false;
    for (const std::string_view line : SplitLines(replies)) {
        if (line.starts_with("211")) {
            inFeatures = line.starts_with("211-");
            continue;
        }
        if (!inFeatures || !line.starts_with(' ')) continue;
        const std::vector<Word> words = SplitWords(line);
        if (!words.empty() &&
            (EqualIgnoringCase(words[0].text, "MLST") || EqualIgnoringCase(words[0].text, "MLSD")))
            return true;
    }
    return false;
}

}  // namespace mirabel
