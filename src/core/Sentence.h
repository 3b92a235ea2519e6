#pragma once
// A reason as the program's phrases hold it ("another run is in progress in this directory")
// turned into the sentence a message box shows.
#include <cctype>
#include <string>

namespace mirabel {

// The reason with a capital first letter and a full stop.
inline std::string AsSentence(std::string reason) {
    if (!reason.empty())
        reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return reason + ".";
}

}  // namespace mirabel
