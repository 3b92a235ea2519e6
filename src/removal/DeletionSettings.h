#pragma once
// The rules of study removal, stored per destination in section "Delete" the moment they
// change: by exam date, by free space, temporary studies by transfer date, whether problem
// studies are passed over without asking, whether folder copies are checked first, and the
// brake on how much of the archived studies the rules may select at once.
#include <string>

namespace mirabel {

class RemovalHost;

inline constexpr const char* kDeleteSection = "Delete";

// The settings of section "Delete": key and default text.
struct DeleteSetting {
    const char* key;
    const char* defaultValue;
};
inline constexpr DeleteSetting kBySize{"BySize", "FALSE"};
inline constexpr DeleteSetting kByDate{"ByDate", "FALSE"};
inline constexpr DeleteSetting kNumbDays{"NumbDays", "0"};
inline constexpr DeleteSetting kNumbGBytes{"NumbGBytes", "0"};
inline constexpr DeleteSetting kTempDays{"TempDays", "0"};
inline constexpr DeleteSetting kTempDel{"TempDel", "FALSE"};
inline constexpr DeleteSetting kSkip{"Skip", "FALSE"};
inline constexpr DeleteSetting kVerifyFolderCopies{"VerifyFolderCopies", "FALSE"};
inline constexpr DeleteSetting kMaxDeletePercent{"Max Delete Percent", "50"};

struct DeletionSettings {
    bool m_bBySize = false;
    bool m_bByDate = false;
    std::string m_strNumbDays = "0";    // days, free text (leading integer)
    std::string m_strNumbGBytes = "0";  // gigabytes, a plain number
    std::string m_strTempDays = "0";    // days, free text (leading integer)
    bool m_bTempDel = false;
    bool m_bSkip = false;                      // "Suppress Delete Errors"
    bool m_bVerifyFolderCopies = false;        // compare folder copies before deleting
    std::string m_strMaxDeletePercent = "50";  // the rules may select at most this share
};

// Reads the settings in the order BySize, ByDate, NumbDays, NumbGBytes, TempDays, TempDel,
// Skip, VerifyFolderCopies, Max Delete Percent; a boolean is true only when its text is exactly
// "TRUE".
DeletionSettings LoadDeletionSettings(const RemovalHost& host);

// The stored text of one setting, as the dialogs and the deletion read it.
std::string ReadDeleteSetting(const RemovalHost& host, const DeleteSetting& setting);

// Stores one setting: a text as it is, a boolean as "TRUE" or "FALSE".
void StoreDeleteSetting(RemovalHost& host, const DeleteSetting& setting, const std::string& text);
void StoreDeleteSetting(RemovalHost& host, const DeleteSetting& setting, bool value);

}  // namespace mirabel
