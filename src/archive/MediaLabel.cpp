#include "archive/MediaLabel.h"

#include <optional>

#include "core/Operator.h"
#include "core/TextFile.h"
#include "archive/StudyPaths.h"
#include "db/LabelDatabase.h"
#include "log/Logs.h"
#include "platform/AtomicFileWrite.h"

namespace mirabel {

namespace {

constexpr unsigned kLabelFilePermissions = 0644;
constexpr const char* kLabelNotWritten =
    "Could not write file to media\n\nPlease check and make sure drive is write-able!!!";

// Replaced whole, never through a link; readable by all, as the medium may travel.
bool WriteLabelFile(const std::string& file, const std::string& label) {
    return WriteFileAtomically(file, label, kLabelFilePermissions).ok();
}

// The first label of the series base, base1, base2, ... that is not registered.
std::string FirstFreeLabel(const std::string& base) {
    for (unsigned n = 0;; ++n) {
        std::string candidate = n == 0 ? base : base + std::to_string(n);
        if (!LabelExists(candidate)) return candidate;
    }
}

}  // namespace

std::string MediaLabelFile(const ArchiveDestination& destination) {
    std::string file = ToNativeSeparators(destination.m_strRootPath);
    if (file.empty() || (file.back() != '/' && file.back() != '\\')) file += '/';
    return ToNativeSeparators(file + kMediaLabelFile);
}

std::string GetMediaLabel(ArchiveDestination& destination) {
    const std::string file = MediaLabelFile(destination);
    if (const std::optional<std::string> label = ReadFirstLine(file)) {
        if (label->empty()) ErrorLog("The label file " + file + " on the medium is empty");
        return *label;
    }
    for (;;) {
        const std::string base =
            destination.m_strLabel.empty() ? destination.m_strMediaType : destination.m_strLabel;
        const std::optional<std::string> entered =
            TheOperator().AskMediaLabel(FirstFreeLabel(base));
        // An empty label would leave an empty label file: the medium could never be used.
        if (!entered || entered->empty()) return "";
        if (LabelExists(*entered)) {
            destination.m_strLabel = *entered;
            continue;
        }
        // A label the register cannot take (the layer logs why) is still given to the medium: the
        // medium needs its label now, and the register's gap only weakens the uniqueness test.
        (void)AddLabel(*entered);
        if (!WriteLabelFile(file, *entered)) {
            TheOperator().MessageBox(kLabelNotWritten);
            return "";
        }
        return *entered;
    }
}

}  // namespace mirabel
