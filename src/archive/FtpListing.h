#pragma once
// Reading what an FTP server says about one folder: the MLSD listing (facts, then the name),
// the LIST listing (Unix "ls -l" lines or the DOS lines of Windows servers), the NLST listing
// (bare names) and whether FEAT offers MLSD.
//
// A caller compares these entries with the files of a study before deleting the study, so an
// entry may never carry a name the server does not hold. Names are taken byte for byte (blanks
// inside and around them included). What could be a cut or rewritten name is kept out, never
// guessed at: a name with "/", "\", a control byte or bytes that are not UTF-8 (no upload of
// ours has such a name; see IsPortableFtpName), a name listed twice, links and other special
// entries. A line that cannot be read makes the whole listing unreadable: it is most likely the
// rest of a name that held a line break, and the entry before it would then carry a cut name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirabel {

struct RemoteEntry {
    std::string name;
    std::uint64_t size = 0;
    bool isFolder = false;

    bool operator==(const RemoteEntry&) const = default;
};

enum class ListingFormat {
    Read,     // every line was read
    Unknown,  // no line was in a known format (another kind of server)
    Broken,   // some lines were read, others not
};

struct ListingText {
    ListingFormat format = ListingFormat::Read;
    std::vector<RemoteEntry> entries;  // only when format is Read
    std::string unreadLine;            // the first line that could not be read
};

// An MLSD listing. Files need their size fact; "." and ".." (cdir, pdir) and every type but
// file and dir are left out.
ListingText ReadMlsdListing(std::string_view text);

// A LIST listing: Unix lines ("-rw-r--r-- 1 owner group 1234 Jan 17 10:30 name", the group may
// be missing) or DOS lines ("01-17-04  10:30AM  <DIR>  name", the name at its fixed column).
// "total" lines are skipped.
ListingText ReadListListing(std::string_view text);

// An NLST listing: the names, left out as above and also when they begin or end with a blank,
// which a server may trim from a command's argument and so answer SIZE for another file.
std::vector<std::string> ReadNameListing(std::string_view text);

// True when the FEAT reply among the server's reply lines names MLSD, or MLST (which brings
// MLSD with it).
bool FeaturesOfferMlsd(std::string_view replies);

}  // namespace mirabel
