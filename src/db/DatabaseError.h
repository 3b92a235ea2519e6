#pragma once
// A failed call of the connection layer as callers above the layer meet it. The layer itself
// keeps its flag (g_bDbError) and writes the reason to the error log; this failure carries that
// reason up, with a mark that it is already in the log, so that a handler adds its own line
// ("database error") and never the reason a second time.
#include <string>
#include <utility>

#include "core/CCVAException.h"

namespace mirabel {

class DatabaseError : public CCVAException {
  public:
    // what() is "database error", the text every handler has always logged for a database
    // failure.
    DatabaseError(std::string reason, bool logged)
        : CCVAException("database error"), reason_(std::move(reason)), logged_(logged) {}

    // Why the call failed: the engine's text, or for a statement that was refused the
    // statement + " : " + text line the layer logged.
    const std::string& Reason() const { return reason_; }
    // True when the error log already holds the reason.
    bool Logged() const { return logged_; }

  private:
    std::string reason_;
    bool logged_;
};

}  // namespace mirabel
