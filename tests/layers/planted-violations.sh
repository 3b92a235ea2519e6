#!/usr/bin/env bash
# The layer check must fail on each kind of crossing and pass on a clean tree.
set -u
check="$1"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{platform,core,log,config,db,catalog,dicomdir,archive,removal,report,app}/ui

plant() {  # folder/file.h, the line to plant, expected result (pass|fail)
    rm -rf "$tree"/*.cpp "$tree"/*/*.h "$tree"/*/ui/*.h
    printf '%s\n' "$2" >"$tree/$1"
    if [ $# -gt 3 ]; then printf '%s\n' "$5" >"$tree/$4"; fi  # a second file the first one names
    if "$check" "$tree" 2>/dev/null; then got=pass; else got=fail; fi
    if [ "$got" != "$3" ]; then
        echo "planted '$2' in $1: expected $3, got $got"
        exit 1
    fi
}

plant archive/A.h '#include "db/B.h"' pass
plant archive/ui/A.h '#include <wx/dialog.h>' pass
plant app/ui/A.h '#include "config/ui/B.h"' pass
plant db/A.h '#include "app/B.h"' fail           # a lower folder includes a higher one
plant db/A.h '#include "config/B.h"' fail        # peers do not include each other
plant archive/A.h '#include <wx/string.h>' fail  # window header in the core
plant archive/A.h '#include "core/ui/B.h"' fail  # window code in the core
plant core/ui/A.h '#include "log/B.h"' fail      # a ui folder keeps its layer
plant platform/A.h '#include <archive/B.h>' fail  # the angle form is checked too
plant archive/A.h '#include <db/B.h>' pass
# Each outside library only in its own folders, and a header that carries one keeps it there.
plant dicomdir/A.h '#include "dcmtk/dcmdata/dcitem.h"' pass
plant archive/A.h '#include "dcmtk/dcmdata/dcitem.h"' fail
plant removal/A.h '#include "dicomdir/B.h"' fail dicomdir/B.h '#include "dcmtk/dcmdata/dcitem.h"'
plant removal/A.h '#include "dicomdir/B.h"' pass dicomdir/B.h '#include <string>'
plant catalog/A.h '#include <sqlite3.h>' pass
plant archive/A.h '#include <sqlite3.h>' fail
plant catalog/A.h '#include <sql.h>' fail
plant db/A.h '#include <sqlext.h>' pass
plant removal/A.h '#include <curl/curl.h>' fail
plant removal/A.h '#include "archive/B.h"' fail archive/B.h '#include <curl/curl.h>'
plant platform/A.h '#include <openssl/evp.h>' pass
plant catalog/A.h '#include <openssl/evp.h>' fail
plant report/A.h '#include <nlohmann/json.hpp>' pass
plant app/A.h '#include <nlohmann/json.hpp>' fail
plant archive/ui/A.h '#include <gtk/gtk.h>' pass
plant archive/A.h '#include <gtk/gtk.h>' fail
plant main.cpp '#include "app/ui/B.h"' fail       # every file has a layer, the entry too
echo "layer check: every planted crossing found"
