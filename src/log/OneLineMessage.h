#pragma once
// A log entry is one line. Messages carry values from outside (patient names, exam dates,
// paths, texts of the database, the FTP client or the DICOM toolkit), and a CR or LF among
// them would end the entry early and let the rest pose as an entry of its own.
#include <string>

namespace mirabel {

// The message with every control character (CR, LF, TAB, ESC, NUL, DEL, ...) turned into a
// space, except one line end (CR LF or LF) that closes it: the system's own messages may end in
// CR LF, and the log's line-end rule keys on it.
std::string OneLineMessage(std::string message);

}  // namespace mirabel
