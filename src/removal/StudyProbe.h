#pragma once
// A file made in the study folder for as long as its copy is checked. A "copy" that shows it is
// the study folder itself, reached another way: a share or mount of the image store, an overlay,
// a server that serves the image store. Inode numbers cannot tell that (another device, the same
// numbers), names and sizes cannot either.
#include <optional>
#include <string>

#include "platform/FolderEntries.h"

namespace mirabel {

class StudyProbe {
  public:
    // Makes the probe (one left by a pass that was killed is replaced); nullopt, with why, when
    // the folder cannot be written (its files could not be removed either).
    static std::optional<StudyProbe> Make(const FolderEntries& folder, const std::string& examId,
                                          std::string& why);
    ~StudyProbe();
    StudyProbe(StudyProbe&& other) noexcept;
    StudyProbe(const StudyProbe&) = delete;
    StudyProbe& operator=(const StudyProbe&) = delete;
    StudyProbe& operator=(StudyProbe&&) = delete;

    const std::string& Name() const { return name_; }

  private:
    StudyProbe(const FolderEntries& folder, std::string name) : folder_(&folder), name_(name) {}

    const FolderEntries* folder_;
    std::string name_;
};

}  // namespace mirabel
