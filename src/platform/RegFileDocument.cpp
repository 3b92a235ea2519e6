#include "platform/RegFileDocument.h"

#include <algorithm>

namespace mirabel {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsHeader(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    return trimmed == kHeader || trimmed == kOldHeader;
}

std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        switch (c) {
            case '\\':
                quoted += "\\\\";
                break;
            case '"':
                quoted += "\\\"";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\n':
                quoted += "\\n";
                break;
            default:
                quoted += c;
        }
    }
    return quoted + '"';
}

// Reads the quoted text that starts at text[pos] (a double quote). On success pos is just
// past the closing quote; nullopt when the closing quote is missing.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t& pos) {
    std::string unquoted;
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return unquoted;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '\\' && (next == '\\' || next == '"' || next == 'r' || next == 'n')) {
            unquoted += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
            ++i;
        } else {
            unquoted += c;  // a lone backslash is taken as written
        }
    }
    return std::nullopt;
}

// "[HKEY_CURRENT_USER\a\b]" -> {"a", "b"}; nullopt for deletions ("[-...]"), other roots
// and lines without their closing bracket.
std::optional<RegistryPath> ParseKeyLine(std::string_view trimmed) {
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return std::nullopt;
    const std::string_view inner = trimmed.substr(1, trimmed.size() - 2);
    const std::size_t rootEnd = std::min(inner.find('\\'), inner.size());
    if (!RegistryNamesEqual(inner.substr(0, rootEnd), kRoot)) return std::nullopt;
    if (rootEnd == inner.size()) return RegistryPath{};
    return NormalizeRegistryPath({std::string(inner.substr(rootEnd + 1))});
}

std::string KeyLine(const RegistryPath& path) {
    std::string line = "[" + std::string(kRoot);
    for (const std::string& name : path) line += "\\" + name;
    return line + "]";
}

bool ContinuesOnNextLine(const std::string& rawLine) {
    return !rawLine.empty() && rawLine.back() == '\\';
}

// The key of that path in a list of keys (const or not); null when it is missing.
template <typename Keys>
auto FindKeyIn(Keys& keys, const RegistryPath& path) -> decltype(&keys.front()) {
    for (auto& key : keys)
        if (key.path && RegistryPathsEqual(*key.path, path)) return &key;
    return nullptr;
}

void AppendLine(std::string& out, std::string_view line) {
    out += line;
    out += kLineEnd;
}

}  // namespace

RegFileDocument RegFileDocument::Parse(std::string_view text) {
    RegFileDocument document;
    Key* current = &document.preamble_;
    bool headerPossible = true;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (Trim(line).empty()) continue;
        // Only the first line can be the header; elsewhere it is just an unreadable line.
        const bool skipHeader = headerPossible && IsHeader(line);
        headerPossible = false;
        if (!skipHeader) current = document.AddLine(current, line);
    }
    return document;
}

RegFileDocument::Key* RegFileDocument::AddLine(Key* current, std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.front() == '[') {
        const std::optional<RegistryPath> path = ParseKeyLine(trimmed);
        if (path) {
            if (Key* known = FindKey(*path)) return known;
            return &keys_.emplace_back(Key{*path, {}, {}});
        }
        return &keys_.emplace_back(Key{std::nullopt, std::string(line), {}});
    }
    std::vector<Entry>& entries = current->entries;
    if (!entries.empty() && !entries.back().data &&
        ContinuesOnNextLine(entries.back().raw.back()) && IsBlank(line.front())) {
        entries.back().raw.emplace_back(line);
        return current;
    }

    entries.push_back(ParseEntry(line));
    return current;
}

RegFileDocument::Entry RegFileDocument::ParseEntry(std::string_view line) {
    Entry entry{std::nullopt, std::nullopt, {std::string(line)}};
    const std::string_view trimmed = Trim(line);
    std::size_t pos = 0;
    std::optional<std::string> name;
    if (trimmed.front() == '@') {
        name = "";
        pos = 1;
    } else if (trimmed.front() == '"') {
        name = ReadQuoted(trimmed, pos);
    }
    if (!name || pos >= trimmed.size() || trimmed[pos] != '=') return entry;
    entry.name = name;
    if (++pos < trimmed.size() && trimmed[pos] == '"') {
        std::optional<std::string> data = ReadQuoted(trimmed, pos);
        if (data && pos == trimmed.size()) entry.data = std::move(data);
    }
    return entry;
}

RegFileDocument::Key* RegFileDocument::FindKey(const RegistryPath& path) {
    return FindKeyIn(keys_, path);
}

const RegFileDocument::Key* RegFileDocument::FindKey(const RegistryPath& path) const {
    return FindKeyIn(keys_, path);
}

bool RegFileDocument::HasKey(const RegistryPath& key) const {
    if (key.empty() || RegistryPathsEqual(key, {"Software"})) return true;
    return std::ranges::any_of(keys_, [&](const Key& known) {
        return known.path && RegistryPathStartsWith(*known.path, key);
    });
}

std::optional<std::string> RegFileDocument::FindValue(const RegistryPath& key,
                                                      const std::string& name) const {
    const Key* found = FindKey(key);
    if (!found) return std::nullopt;
    // The last line naming the value counts, as when regedit imports the file.
    for (auto entry = found->entries.rbegin(); entry != found->entries.rend(); ++entry)
        if (entry->name && RegistryNamesEqual(*entry->name, name)) return entry->data;
    return std::nullopt;
}

void RegFileDocument::SetValue(const RegistryPath& key, const std::string& name,
                               const std::string& value) {
    Key* target = FindKey(key);
    if (!target) target = &keys_.emplace_back(Key{key, {}, {}});
    auto names = [&](const Entry& entry) {
        return entry.name && RegistryNamesEqual(*entry.name, name);
    };
    std::vector<Entry>& entries = target->entries;
    const auto last = std::find_if(entries.rbegin(), entries.rend(), names);
    if (last == entries.rend()) {
        entries.push_back(Entry{name, value, {}});
        return;
    }
    // The value keeps its spelling; earlier lines naming it were already overridden.
    const auto keep = static_cast<std::size_t>(std::distance(entries.begin(), last.base()) - 1);
    entries[keep] = Entry{entries[keep].name, value, {}};
    std::vector<Entry> remaining;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (i == keep || !names(entries[i])) remaining.push_back(std::move(entries[i]));
    entries = std::move(remaining);
}

std::string RegFileDocument::Serialize() const {
    std::string out;
    AppendLine(out, kHeader);
    auto appendEntries = [&out](const Key& key) {
        for (const Entry& entry : key.entries) {
            if (!entry.data) {
                for (const std::string& raw : entry.raw) AppendLine(out, raw);
                continue;
            }
            const std::string name = entry.name->empty() ? "@" : Quote(*entry.name);
            AppendLine(out, name + "=" + Quote(*entry.data));
        }
    };
    appendEntries(preamble_);
    for (const Key& key : keys_) {
        out += kLineEnd;
        AppendLine(out, key.path ? KeyLine(*key.path) : key.rawKeyLine);
        appendEntries(key);
    }
    out += kLineEnd;
    return out;
}

}  // namespace mirabel
