#include "core/Operator.h"

#include "core/ConsoleOperator.h"

namespace mirabel {

namespace {
std::unique_ptr<Operator>& Installed() {
    static std::unique_ptr<Operator> installed = std::make_unique<ConsoleOperator>();
    return installed;
}
}  // namespace

Operator& TheOperator() {
    return *Installed();
}

std::unique_ptr<Operator> InstallOperator(std::unique_ptr<Operator> op) {
    std::unique_ptr<Operator> previous = std::move(Installed());
    Installed() = std::move(op);
    return previous;
}

}  // namespace mirabel
