#pragma once
// Text crosses between the core (std::string) and the controls (wxString) only here. Values are
// kept as UTF-8; bytes that are not UTF-8 (a file edited by hand in a single-byte code page)
// are shown as Latin-1 rather than as nothing. The process runs in the C locale, so the
// implicit conversions of wxString would lose every non-ASCII character.
#include <string>

#include <wx/string.h>

namespace mirabel {

inline wxString ToWx(const std::string& text) {
    wxString converted = wxString::FromUTF8(text.data(), text.size());
    if (converted.empty() && !text.empty())
        converted = wxString(text.data(), wxConvISO8859_1, text.size());
    return converted;
}

inline std::string FromWx(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

}  // namespace mirabel
