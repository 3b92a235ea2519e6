#pragma once
// Archive destinations: the configured places studies are copied to, the process-wide list
// g_Archives (in "archives.p" order); and the one table
// that says, per kind of destination, its type line, id, value lines, required fields and
// dialog controls.
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mirabel {

// The kind of a destination, parsed once from its type line. Unknown: a type line none of
// "FTP", "NFS", "CORVA", "REM"; such a record keeps its line and is read, written, named and
// edited as removable media. A run copies to it as to a folder, but unlike "REM" it asks for
// no medium label and shows the media message only when the destination is full.
enum class DestinationKind { Ftp, Nfs, Server, Removable, Unknown };

// The DICOMDIR flag value that asks for a DICOMDIR on the medium.
inline constexpr const char* kSaveDicomDir = "SAVE";

struct ArchiveDestination {
    ArchiveDestination() = default;  // Unknown, with an empty type line
    // A destination of kind with the kind's own type line.
    explicit ArchiveDestination(DestinationKind kind);

    DestinationKind Kind() const { return m_kind; }
    // The type line as read (an unknown one byte for byte) or the kind's own: "FTP", "NFS",
    // "CORVA", "REM". It is what "archives.p" receives.
    const std::string& TypeLine() const { return m_strType; }
    // Takes a type line of "archives.p": keeps it and parses its kind.
    void SetTypeLine(std::string line);
    // Makes the destination one of kind, with the kind's own type line (Unknown: empty).
    void SetKind(DestinationKind kind);

    std::string m_strId;         // "FTP:%s" ip, "NFS:%s" label, "CORVA:%s" ip, "REM:%s" media type
    std::string m_strIpAddress;  // FTP, CORVA; may carry ":port" for FTP
    std::string m_strRootPath;   // all types
    std::string m_strUserName;   // FTP, CORVA
    std::string m_strPassword;   // FTP, CORVA (stored in plain text)
    std::string m_strMediaType;  // REM: MO, CD or DVD
    std::string m_strLabel;      // NFS archive label, REM media label
    std::string m_strMediaSize;  // REM, megabytes as text
    std::string m_strDicomDir;   // REM: "SAVE" writes a DICOMDIR; "NONE" or empty does not
    std::string m_strCurrentLabel;  // REM: label of the medium in use, set during a run only
    std::string m_strPort;          // CORVA, as text

    // Rebuilds m_strId from the kind's id prefix and key field: the IP address for FTP and
    // CORVA, the label for NFS, the media type for REM and for an unknown type.
    void BuildId();

  private:
    std::string m_strType;  // the type line; m_kind is parsed from it
    DestinationKind m_kind = DestinationKind::Unknown;
};

using DestinationField = std::string ArchiveDestination::*;

// One value line of "archives.p" and the text control that shows it in the dialogs.
struct DestinationValue {
    DestinationField field;
    const char* control;  // null: no text control (the DICOMDIR flag has a check box)
};

// A field Add Archive (and the image server's Edit Archive) refuses to leave empty.
struct RequiredField {
    DestinationField field;
    const char* message;
};

// Everything that differs between the kinds, in one row per kind.
struct DestinationKindRules {
    DestinationKind kind;
    const char* typeLine;                      // null for Unknown, which keeps its own line
    const char* idPrefix;                      // the id is this prefix followed by the key field
    DestinationField idField;                  // the key field
    std::span<const DestinationValue> values;  // the lines after the type line, in file order
    std::span<const RequiredField> required;   // checked in this order
    bool uniqueId;         // Add Archive refuses a second destination with the same id
    const char* selector;  // the radio button of Add Archive; null for Unknown
};

// The row of kind.
const DestinationKindRules& RulesOf(DestinationKind kind);

// The rows of the four known kinds, in the order Add Archive tests its radio buttons: FTP,
// hard drive/network, image server, removable media.
std::span<const DestinationKindRules> KnownDestinationKinds();

// The kind a type line names, compared exactly; Unknown for any other line.
DestinationKind ParseDestinationKind(std::string_view typeLine);

extern std::vector<std::unique_ptr<ArchiveDestination>> g_Archives;

// The first destination whose id equals id exactly (case-sensitive), or null.
ArchiveDestination* FindArchive(const std::string& id);

// How the destination list shows the destination: "<id>  -  <root path>", or the id alone when
// it has no root path.
std::string ListEntryText(const ArchiveDestination& destination);

// Empties g_Archives (tests; start-up state).
void ResetArchives();

}  // namespace mirabel
