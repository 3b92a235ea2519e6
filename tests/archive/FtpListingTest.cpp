#include "archive/FtpListing.h"

#include <gtest/gtest.h>

#include "fixtures/RemoteEntryPrint.h"

namespace mirabel {

namespace {

RemoteEntry File(std::string name, std::uint64_t size) {
    return {std::move(name), size, false};
}
RemoteEntry Folder(std::string name) {
    return {std::move(name), 0, true};
}

struct ListingCase {
    const char* what;
    std::string text;
    ListingFormat format;
    std::vector<RemoteEntry> entries;
};

void ExpectRead(const ListingCase& c, const ListingText& read) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(read.format, c.format) << read.unreadLine;
    EXPECT_EQ(read.entries, c.entries);
}

TEST(FtpListing, MlsdNamesAreTakenExactlyAndOnlyFilesAndFoldersCount) {
    const std::vector<ListingCase> cases = {
        {"files, folders, the folder itself and its parent",
         "type=cdir;perm=el; .\r\ntype=pdir;perm=el; ..\r\n"
         "type=file;size=1234;modify=20040117103000; IM0001.dcm\r\n"
         "Type=DIR;Size=0; sub\r\n",
         ListingFormat::Read,
         {File("IM0001.dcm", 1234), Folder("sub")}},
        {"blanks, ';' and '=' belong to the name",
         "type=file;size=0;  lead and trail \r\ntype=file;size=7; a;size=9.dcm\r\n",
         ListingFormat::Read,
         {File(" lead and trail ", 0), File("a;size=9.dcm", 7)}},
        {"the largest size",
         "type=file;size=18446744073709551615; big\r\n",
         ListingFormat::Read,
         {File("big", 18446744073709551615ull)}},
        {"links and devices are left out",
         "type=OS.unix=slink:/etc; link\r\ntype=OS.unix=chr-4/1; tty\r\n",
         ListingFormat::Read,
         {}},
        {"names that are not a server's own name are left out",
         "type=file;size=1; bad\nline.dcm\r\ntype=file;size=1; tab\t.dcm\r\n"
         "type=file;size=1; a/b.dcm\r\ntype=file;size=1; a\\b.dcm\r\n"
         "type=file;size=1; latin\xe9.dcm\r\ntype=file;size=1; ok.dcm\r\n",
         ListingFormat::Read,
         {File("ok.dcm", 1)}},
        {"a name listed twice is neither",
         "type=file;size=1; twin\r\ntype=file;size=2; twin\r\ntype=file;size=3; one\r\n",
         ListingFormat::Read,
         {File("one", 3)}},
        {"lines ended by LF alone",
         "type=file;size=1; a\ntype=dir; b\n",
         ListingFormat::Read,
         {File("a", 1), Folder("b")}},
        {"the rest of a name that held CR LF",
         "type=file;size=1; cut\r\nrest.dcm\r\n",
         ListingFormat::Broken,
         {}},
        {"a file without its size",
         "type=file;size=1; a\r\ntype=file; b\r\n",
         ListingFormat::Broken,
         {}},
        {"a size beyond 64 bits",
         "type=dir; b\r\ntype=file;size=18446744073709551616; a\r\n",
         ListingFormat::Broken,
         {}},
        {"an empty folder", "", ListingFormat::Read, {}},
    };
    for (const ListingCase& c : cases) ExpectRead(c, ReadMlsdListing(c.text));
}

TEST(FtpListing, UnixAndDosListLinesGiveNameSizeAndKind) {
    const std::vector<ListingCase> cases = {
        {"as pyftpdlib writes them",
         "-rw-r--r--   1 archiver archiver     1234 Jan 17 10:30 IM 0001.dcm\r\n"
         "drwxr-xr-x   2 archiver archiver     4096 Jan 07 10:31 sub\r\n",
         ListingFormat::Read,
         {File("IM 0001.dcm", 1234), Folder("sub")}},
        {"a year instead of a time, a total line, a name that begins with a blank",
         "total 8\r\n-rw-r--r-- 1 root other 531 Apr  8  1994  lead.dcm\r\n",
         ListingFormat::Read,
         {File(" lead.dcm", 531)}},
        {"no group column, an ACL mark, a month name in the name",
         "-rw-r--r--+ 1 owner 77 Dec 31 23:59 Jan 17 2004.dcm\r\n",
         ListingFormat::Read,
         {File("Jan 17 2004.dcm", 77)}},
        {"links, devices and pipes are left out",
         "lrwxrwxrwx 1 root root 7 Jan 25 00:17 bin -> usr/bin\r\n"
         "crw-rw---- 1 root tty 4, 1 Jan 25 00:17 tty1\r\n"
         "prw-r--r-- 1 root root 0 Jan 25 00:17 fifo\r\n",
         ListingFormat::Read,
         {}},
        {"IIS, two-digit years",
         "06-29-95  03:05PM       <DIR>          muntemp\r\n"
         "05-02-95  10:03AM               961590 naxp11e.zip\r\n",
         ListingFormat::Read,
         {Folder("muntemp"), File("naxp11e.zip", 961590)}},
        {"IIS, four-digit years, a 24-hour clock, blanks around names",
         "05-17-2007  07:58PM       <DIR>           lead dir\r\n"
         "05-27-11  09:31                 1506  lead file \r\n",
         ListingFormat::Read,
         {Folder(" lead dir"), File(" lead file ", 1506)}},
        {"the rest of a Unix name that held CR LF",
         "-rw-r--r-- 1 a b 1 Jan 17 10:30 cut\r\nrest.dcm\r\n",
         ListingFormat::Broken,
         {}},
        {"a DOS line whose name is not at its column",
         "06-29-95  03:05PM  <DIR>  sub\r\n05-02-95  10:03AM               961590 a.zip\r\n",
         ListingFormat::Broken,
         {}},
        {"a format no line of which is known",
         "total "
         "2\r\n+i8388621.29609,m824255902,/"
         ",\tdev\r\n+i8388621.44468,m839956783,r,s10376,\tRFCEPLF\r\n",
         ListingFormat::Unknown,
         {}},
    };
    for (const ListingCase& c : cases) ExpectRead(c, ReadListListing(c.text));
}

TEST(FtpListing, NameListKeepsOnlyNamesThatSizeCanBeAskedFor) {
    EXPECT_EQ(ReadNameListing(".\r\n..\r\nIM 0001.dcm\r\n lead\r\ntrail \r\ntwin\r\ntwin\r\n"
                              "bad\nline\r\na/b\r\nsub\r\n"),
              (std::vector<std::string>{"IM 0001.dcm", "sub"}));
}

TEST(FtpListing, MlsdIsOfferedOnlyWhereFeatSaysSo) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"211-Features supported:\r\n EPRT\r\n MLST type*;perm*;size*;\r\n SIZE\r\n211 End\r\n",
         true},
        {"211-Extensions:\r\n mlsd\r\n211 End\r\n", true},
        {"211-Features supported:\r\n EPRT\r\n SIZE\r\n211 End\r\n", false},
        {"220-Welcome\r\n MLST is what we do not have\r\n220 Ready\r\n230 Login successful.\r\n"
         "500 FEAT not understood.\r\n",
         false},
    };
    for (const auto& [replies, offered] : cases)
        EXPECT_EQ(FeaturesOfferMlsd(replies), offered) << replies;
}

}  // namespace

}  // namespace mirabel
