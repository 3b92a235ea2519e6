#pragma once
#include "app/CommandLine.h"

namespace mirabel {

// "mirabel --verify": audits the archived copies the catalog of the current directory records
// (all, one study with --study, or those not checked for --older-than days), least recently
// checked first, until --budget-minutes or --budget-gb is spent. Progress on standard output, one
// error-log line per damaged file and per copy that could not be checked. Takes no run lock: it
// only reads. 0 when every copy looked at was verified, 1 when one was damaged or could not be
// checked, 2 when it could not start (an option value refused, archives.p or the catalog
// unreadable; the reason on standard error). With --adopt: the studies the image database records
// as archived whose copy the catalog lacks are adopted (the copy read back and hashed, agreeing
// with its manifest and its original); 0 when every one was, 1 when one was not, 2 when the
// configuration or the image database cannot be used. With --repair: every copy the last audit
// found damaged is copied again from its local original (folder, FTP and image-server copies;
// the row untouched) and read back; 0 when all were, 1 when one was not, 2 when it could not
// start (another run in this directory, the configuration).
int RunVerifyHeadless(const CommandLine& line);

}  // namespace mirabel
