#pragma once
// The console operator and the log report of one headless command.
#include <memory>

#include "core/Operator.h"
#include "log/UnwritableLogReport.h"

namespace mirabel {

// Installs the console operator, and a report of unwritable logs on standard error, for its
// lifetime; the previous ones come back afterwards. A quiet operator prints nothing.
class ConsoleSession {
  public:
    explicit ConsoleSession(bool quiet = false);
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

  private:
    std::unique_ptr<Operator> previous_;
    UnwritableLogReport previousLogReport_;
};

}  // namespace mirabel
