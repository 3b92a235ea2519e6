#include "archive/MediaSearch.h"

#include "config/ArchiveDestination.h"
#include "core/Operator.h"
#include "core/TextFile.h"
#include "platform/MountPoints.h"

namespace mirabel {

namespace {

std::string LabelFileOf(const std::string& root) {
    const bool separated = !root.empty() && (root.back() == '\\' || root.back() == '/');
    return root + (separated ? "" : "/") + "cvlabel.txt";
}

}  // namespace

std::vector<std::string> LogicalDriveRoots() {
    std::vector<std::string> roots;
    for (const auto& destination : g_Archives)
        if (destination->Kind() == DestinationKind::Removable)
            roots.push_back(destination->m_strRootPath);
    for (std::string& mountPoint : MediaMountPoints()) roots.push_back(std::move(mountPoint));
    return roots;
}

std::string MediumPromptText(const std::string& label) {
    return "Please enter media labeled " + label + ".\n\nClick OK when this is done.";
}

std::string FindMediaByLabel(const std::string& label) {
    do {
        for (const std::string& root : LogicalDriveRoots())
            if (ReadFirstLine(LabelFileOf(root)).value_or("") == label) return root;
    } while (TheOperator().AskForMedium(MediumPromptText(label)));
    return "";
}

}  // namespace mirabel
