#pragma once
// The room left on a removable medium by its configured media size, counted down by the
// studies copied onto it during one run.
#include <cstdint>
#include <set>
#include <string>

namespace mirabel {

class MediaBudget {
  public:
    // No limit: only the free space of the destination counts.
    MediaBudget() = default;
    // A limit of the given size in bytes; 0 means no limit.
    explicit MediaBudget(std::uint64_t bytes) : limited_(bytes > 0), remaining_(bytes) {}

    // The limit of a destination's media size text (megabytes, read like C's atoi); an empty,
    // zero or negative size gives no limit.
    static MediaBudget FromMediaSize(const std::string& megabytes);

    bool Limited() const { return limited_; }
    std::uint64_t Remaining() const { return remaining_; }

    // Takes a study's bytes from the medium. The study is named by its folder on the medium:
    // a retry of the same study overwrites its own files, so it is charged once only. False,
    // and nothing taken, when the medium cannot hold the study.
    [[nodiscard]] bool Charge(const std::string& studyFolder, std::uint64_t bytes);

  private:
    bool limited_ = false;
    std::uint64_t remaining_ = 0;
    std::set<std::string> charged_;
};

}  // namespace mirabel
