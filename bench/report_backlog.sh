#!/bin/sh
# The status report over a large backlog: a start directory whose image database holds N waiting
# studies (default 500,000), made in one INSERT ... SELECT from a recursive CTE, and the wall time
# and peak memory of `mirabel --report` and `mirabel --report --json` on it (/usr/bin/time -v).
# Only the studies' first FOLDERS folders exist (default 2,000): the report measures a sample
# of 400 folders at most, whatever the backlog.
#
#   bench/report_backlog.sh MIRABEL [N] [FOLDERS]
set -eu
mirabel=$(realpath "$1")
exams=${2:-500000}
folders=${3:-2000}
work=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "kept $work" || trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p config/mirabel images archive
printf 'NFS\n%s/archive\nARCH\nEND\n' "$work" > archives.p
printf 'NFS:ARCH' > Default.cfg
key='HKEY_CURRENT_USER\Software\Corvana Mirabel\NFS:ARCH\Database'
printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"Database File"="%s"\r\n"Image Path"="%s"\r\n"DB_Type"="JET"\r\n' \
    "$key" "$work/echo.db" "$work/images" > config/mirabel/hkcu.reg
sqlite3 echo.db <<SQL
CREATE TABLE EXAM (EXAM_ID INTEGER PRIMARY KEY, PAT_ID INTEGER, IMAGE_PATH VARCHAR(255),
  EXAM_DATE DATETIME, READER VARCHAR(255), PRELIM VARCHAR(255), OLD_CVS SMALLINT,
  "Media Type" VARCHAR(255), EXAM_TYPE VARCHAR(255), ARCHIVE_PATH VARCHAR(255));
CREATE TABLE PATIENT (PAT_ID INTEGER PRIMARY KEY, NAME_L VARCHAR(255), NAME_F VARCHAR(255));
CREATE INDEX EXAM_DATE_INDEX ON EXAM (EXAM_DATE);
INSERT INTO PATIENT VALUES (1, 'Smith', 'Ann');
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $exams)
INSERT INTO EXAM (EXAM_ID, PAT_ID, IMAGE_PATH, EXAM_DATE, OLD_CVS, "Media Type")
  SELECT i, 1, '\\2004\\ST' || i, datetime('2004-01-01', '+' || (i % 5000) || ' hours'), 0,
         'Image Server' FROM n;
SQL
i=1
while [ "$i" -le "$folders" ]; do
    mkdir -p "images/2004/ST$i"
    head -c 100000 /dev/zero > "images/2004/ST$i/IMG1.dcm"
    i=$((i + 1))
done
for args in "--report" "--report --json"; do
    echo "== mirabel $args ($exams waiting studies)"
    XDG_CONFIG_HOME="$work/config" /usr/bin/time -v "$mirabel" $args 2> time.txt > out.txt
    head -12 out.txt
    grep -E "Elapsed|Maximum resident" time.txt
done
