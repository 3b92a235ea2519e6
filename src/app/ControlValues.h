#pragma once
// What the main window's bound controls hold at one moment, in the order in which the window
// exchanges them with the core's members. The window reads them; the core takes them.
#include <optional>
#include <string>

namespace mirabel {

// The three integer edits, named when one of them holds text that is not a number.
enum class IntegerEdit { MaxStudies, DaysBeforeArchive, Increment };

struct ControlValues {
    std::string databaseFile;
    std::string imagePath;
    std::optional<int> maxStudies;  // nullopt: the edit does not hold a number
    std::optional<int> daysBeforeArchive;
    std::string databasePassword;
    std::string sqlServer;
    std::string sqlUser;
    std::string sqlPassword;
    std::string sqlDb;
    std::string dbField;  // the column combo's text
    bool reside = false;
    bool prelim = false;
    bool maxStudiesOn = false;
    bool final = false;
    std::optional<int> increment;
};

// An integer edit's text as a number: optional blanks, a signed decimal number that fits an
// int, optional blanks, nothing else. nullopt for anything else, empty text included.
std::optional<int> ReadIntegerEdit(const std::string& text);

}  // namespace mirabel
