#pragma once
// What the transfer of one study (ArchiveStudy) reports. The values are the system's own
// results: 1 archived, -1 failed, -2 destination full or image server refused. An outcome is
// never dropped unlooked-at.
namespace mirabel {

enum class [[nodiscard]] TransferOutcome : int{
    Archived = 1,
    // May be tried again; the reason is in the logs or was shown to the operator.
    Failed = -1,
    // The destination cannot take the study (the medium's size or the free space is too small,
    // or an image server refused its table data): the run ends here.
    DestinationFullOrRefused = -2,
};

}  // namespace mirabel
