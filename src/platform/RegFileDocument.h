#pragma once
// The text of a hive file in the ".reg" export format, held in memory:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Corvana Mirabel\Archive]
//   "Max Studies"="500"
//   @="the key's default value"
//
// Lines end with CR LF when written; LF alone is accepted when read. Names and data are
// written between double quotes with these escapes:
//   \\  a backslash        \"  a double quote
//   \r  a carriage return  \n  a line feed
// regedit knows only the first two; the other two keep every value on one line, so a value
// may hold any byte except NUL. A backslash before any other character is read as itself.
//
// Reading is forgiving, because a hive may have been cut short, edited by hand or damaged:
// whatever is readable is read and everything else is kept exactly as it was, so that
// writing the document back never loses a line. In particular:
// - the header line may be missing;
// - a line starting with "[" that is not a key of HKEY_CURRENT_USER starts a key that is
//   kept but not read (its lines are not taken for another key's values);
// - a value line that is not a complete quoted string (another value type, a missing
//   closing quote, trailing text) is kept as written; it still names its value, so setting
//   that value replaces it;
// - when a key or a value appears twice, the later one counts, as when regedit imports.
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryHive.h"

namespace mirabel {

class RegFileDocument {
  public:
    // Reads whatever can be read from the file's text; never fails.
    static RegFileDocument Parse(std::string_view text);

    // The whole file, header first, CR LF line ends.
    std::string Serialize() const;

    // HKEY_CURRENT_USER and Software always exist; any other key exists when it or a
    // subkey of it is in the document. Paths must be normalised.
    bool HasKey(const RegistryPath& key) const;

    // The data of a readable string value; nullopt when the key or value is missing or
    // the value's line cannot be read.
    std::optional<std::string> FindValue(const RegistryPath& key, const std::string& name) const;

    // Adds the key if it is missing and sets the value, replacing any earlier line that
    // names it. The key keeps the spelling it already has.
    void SetValue(const RegistryPath& key, const std::string& name, const std::string& value);

  private:
    // One line (or, for a value continued with a trailing backslash, several lines) of a key.
    struct Entry {
        std::optional<std::string> name;  // the value it names ("" for @), if it names one
        std::optional<std::string> data;  // the string data, when the line could be read
        std::vector<std::string> raw;     // the lines as read, written back when data is empty
    };
    struct Key {
        std::optional<RegistryPath> path;  // empty for a key line that could not be read
        std::string rawKeyLine;            // the key line as read, for such a key
        std::vector<Entry> entries;
    };

    // Adds one line of the file to the key being read and returns the key that the next
    // line belongs to.
    Key* AddLine(Key* current, std::string_view line);
    // A line inside a key: a value when it can be read, else kept as written.
    static Entry ParseEntry(std::string_view line);
    Key* FindKey(const RegistryPath& path);
    const Key* FindKey(const RegistryPath& path) const;

    Key preamble_;          // unreadable lines before the first key line
    std::deque<Key> keys_;  // in file order; a deque keeps the reader's Key* valid
};

}  // namespace mirabel
