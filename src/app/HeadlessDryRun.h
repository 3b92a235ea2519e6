#pragma once
// "--dry-run" beside --archive-now or --remove-now: what the run would do, printed on standard
// output, with nothing changed. The image database is opened read-only, the catalog only when it
// is there (and never made), no run lock is taken (a run that holds it is seen without taking it:
// exit status 2, as the real run's), no log gets more than the one debug line that
// says a dry run happened, no metrics file and no run record are written, no question is asked.

namespace mirabel {

// The archive run's destination and each study it would take, with its files (name and size)
// and bytes, or why it would fail. Exit status as the run's: 0 when every study would be
// archived, 1 when some would fail, 2 when the run could not start (the reason on standard
// error). An EXAM without the archive column yet is said, and nothing listed (the run adds the
// column before it selects).
[[nodiscard]] int RunArchiveDryRunHeadless();

// The removal pass's selection by the stored rules, and for each selected study the rule, the
// evidence its copy shows (or why it would be kept) and its bytes, then the studies the removal
// journal holds. Exit status as the pass's (see RunRemoveNowHeadless).
[[nodiscard]] int RunRemovalDryRunHeadless();

}  // namespace mirabel
