#pragma once
// The table-data script: the command text that carries one PATIENT or EXAM row to another
// image server. A header declares the table and the number of fields, one AddArrayValue pair
// follows per field, and the image server's own procedure, the text of "pcode.txt", ends it.
#include <string>
#include <vector>

namespace mirabel {

// "pcode.txt" in the start directory; set at start-up.
extern std::string g_strScriptFile;
// The text of g_strScriptFile, each line ended by CR LF; read on the first send that finds the
// file and kept for the rest of the program.
extern std::string g_strTableScript;

// Forgets the cached text (tests; the program never needs it).
void ResetTableScript();

// g_strTableScript, reading g_strScriptFile first while the cache is empty. A missing or
// unreadable file leaves it empty: the script goes without the procedure, and the next send
// tries again.
const std::string& CachedTableScript();

// The text with every carriage return replaced by the three characters \cr and every line
// feed by \lf, so that it can never start a new script line.
std::string EscapeLineBreaks(const std::string& text);

// The script of one row without the procedure. Names and values are placed in list order, with
// their line breaks escaped (EscapeLineBreaks) and nothing else changed; NFields counts them. For
// "EXAM" a last pair "IMAGE_PATH" follows (not counted) with the study folder on the server after
// its leading "/images/".
std::string FormatTableScript(const std::string& table, const std::vector<std::string>& names,
                              const std::vector<std::string>& values,
                              const std::string& studyDirectory);

}  // namespace mirabel
