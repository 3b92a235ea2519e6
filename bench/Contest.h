#pragma once
// One comparison of Mirabel with a standard tool on the same work in the same run: rounds that
// alternate which side goes first, and a report of the median of the rounds' own ratios (the
// two sides of a round ran back to back under the same load from elsewhere, which makes their
// ratio the steadiest figure on a shared machine) with its smallest and largest, each side's
// median time and CPU, each side's peak memory, and the machine's load while the rounds ran.
//
// Every report also adds one row to the table that scripts/bench prints: the file named by
// MIRABEL_BENCH_TABLE, when set, receives it as a Markdown table row.
#include <functional>
#include <string>
#include <vector>

namespace mirabel {

struct Measure {
    double seconds = 0;
    long peakKb = 0;        // the largest resident set of the side's processes
    double cpuSeconds = 0;  // user + system time of the side's processes
};

// At least this many rounds make a median worth its name.
inline constexpr int kLeastRounds = 5;

class Contest {
  public:
    // `work` names the work and its size; `mine` and `peer` name what runs on each side and
    // what it checks (the table prints them beside the times, so that a reader sees whether
    // the shipped program or a benchmark program ran); showCpu adds each side's CPU time to
    // the table (where a server, not the client, sets the wall time).
    Contest(std::string work, std::string mine, std::string peer, bool showCpu = false)
        : work_(std::move(work)),
          mine_(std::move(mine)),
          peer_(std::move(peer)),
          showCpu_(showCpu) {}

    // Runs both sides once, in alternating order so that neither always goes first.
    void Round(int round, const std::function<Measure()>& mine,
               const std::function<Measure()>& tool);
    // Prints the result and adds its row to the table.
    void Report() const;

  private:
    std::string work_;
    std::string mine_;
    std::string peer_;
    bool showCpu_;
    std::vector<Measure> ours_, theirs_;
    double loadAtStart_ = 0;
};

// The machine's load average over the last minute.
double LoadAverage();
// "0.7-1.2": the load average when the rounds began and now, for the table's last column.
std::string LoadSince(double loadAtStart);

// A row of the table for a measurement that is not a paired contest (a curve over sizes, say):
// the cells as they are to appear, the load (LoadSince) last.
void AddTableRow(const std::vector<std::string>& cells);

// The table's column titles, as scripts/bench prints them above the rows.
inline constexpr const char* kTableHeader =
    "| work | Mirabel | peer | ratio, median (min-max) | peak memory, Mirabel / peer | load "
    "(1 min), first round-last |\n"
    "|---|---|---|---|---|---|";

}  // namespace mirabel
