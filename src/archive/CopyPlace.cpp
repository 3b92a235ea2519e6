#include "archive/CopyPlace.h"

namespace mirabel {

std::optional<CopyPlace> FindCopyPlace(const std::string& archiveValue) {
    const ArchiveDestination* best = nullptr;
    for (const auto& destination : g_Archives) {
        const std::string& id = destination->m_strId;
        if (id.empty() || archiveValue.size() <= id.size() ||
            archiveValue.compare(0, id.size(), id) != 0 || archiveValue[id.size()] != ':')
            continue;
        if (!best || id.size() > best->m_strId.size()) best = destination.get();
    }
    if (!best) return std::nullopt;
    CopyPlace place{best, "", archiveValue.substr(best->m_strId.size() + 1)};
    if (best->Kind() == DestinationKind::Removable) {
        const std::size_t colon = place.folder.find(':');
        place.label = place.folder.substr(0, colon);
        place.folder = colon == std::string::npos ? "" : place.folder.substr(colon + 1);
    }
    return place;
}

}  // namespace mirabel
