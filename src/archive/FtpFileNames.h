#pragma once
// Names an FTP server would not keep as they are. A server may rewrite names it cannot take
// (bytes that are not UTF-8, control characters) or fold them, and a "\" becomes a folder
// level on many; the copy would then lie under another name than the manifest and the
// archive column say, and a later verification or removal would look in the wrong place.
#include <optional>
#include <string>
#include <string_view>

#include "archive/StudyTransferPlan.h"

namespace mirabel {

// True when the name is valid UTF-8 and holds no "/", "\" and no control character.
bool IsPortableFtpName(std::string_view name);

// The first name of the study's files, or of the levels of its folder on the server, that is
// not portable; nullopt when every one is.
std::optional<std::string> FirstUnportableFtpName(const StudyTransferPlan& plan);

// The name for a log line: control characters and bytes that are not UTF-8 as \xNN.
std::string VisibleName(std::string_view name);

}  // namespace mirabel
