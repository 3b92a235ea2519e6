#include "Contest.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace mirabel {

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t middle = v.size() / 2;
    return v.size() % 2 ? v[middle] : (v[middle - 1] + v[middle]) / 2;
}

std::vector<double> Seconds(const std::vector<Measure>& side) {
    std::vector<double> seconds;
    for (const Measure& m : side) seconds.push_back(m.seconds);
    return seconds;
}

std::vector<double> Cpu(const std::vector<Measure>& side) {
    std::vector<double> cpu;
    for (const Measure& m : side) cpu.push_back(m.cpuSeconds);
    return cpu;
}

double PeakMb(const std::vector<Measure>& side) {
    long peak = 0;
    for (const Measure& m : side) peak = std::max(peak, m.peakKb);
    return peak / 1024.0;
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string TimeCell(const std::vector<Measure>& side, bool showCpu) {
    std::string cell = Format("%.2f s", Median(Seconds(side)));
    if (showCpu) cell += Format(" (CPU %.2f s)", Median(Cpu(side)));
    return cell;
}

}  // namespace

void Contest::Round(int round, const std::function<Measure()>& mine,
                    const std::function<Measure()>& tool) {
    if (ours_.empty()) loadAtStart_ = LoadAverage();
    if (round % 2 == 0) {
        ours_.push_back(mine());
        theirs_.push_back(tool());
    } else {
        theirs_.push_back(tool());
        ours_.push_back(mine());
    }
    std::printf("  round %d  %s: %s %.2f s, %s %.2f s\n", round + 1, work_.c_str(), mine_.c_str(),
                ours_.back().seconds, peer_.c_str(), theirs_.back().seconds);
    std::fflush(stdout);
}

void Contest::Report() const {
    if (ours_.empty()) return;
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours_.size(); ++i)
        ratios.push_back(ours_[i].seconds / theirs_[i].seconds);
    const auto [least, most] = std::minmax_element(ratios.begin(), ratios.end());
    const std::string ratio = Format("%.2f (%.2f-%.2f)", Median(ratios), *least, *most);
    const std::string memory = Format("%.0f MB / %.0f MB", PeakMb(ours_), PeakMb(theirs_));
    const std::string load = LoadSince(loadAtStart_);
    std::printf("%s, %zu rounds\n  %s %s\n  %s %s\n  ratio %s   peak memory %s   load %s\n",
                work_.c_str(), ours_.size(), mine_.c_str(), TimeCell(ours_, true).c_str(),
                peer_.c_str(), TimeCell(theirs_, true).c_str(), ratio.c_str(), memory.c_str(),
                load.c_str());
    std::fflush(stdout);
    AddTableRow({work_, mine_ + ": " + TimeCell(ours_, showCpu_),
                 peer_ + ": " + TimeCell(theirs_, showCpu_), ratio, memory, load});
}

double LoadAverage() {
    double oneMinute = 0;
    std::ifstream("/proc/loadavg") >> oneMinute;
    return oneMinute;
}

std::string LoadSince(double loadAtStart) {
    return Format("%.1f-%.1f", loadAtStart, LoadAverage());
}

void AddTableRow(const std::vector<std::string>& cells) {
    const char* table = std::getenv("MIRABEL_BENCH_TABLE");
    if (!table || !*table) return;
    std::ofstream out(table, std::ios::app);
    for (const std::string& cell : cells) out << "| " << cell << " ";
    out << "|\n";
}

}  // namespace mirabel
