#pragma once
// The brake on the removal rules: a value typed wrongly ("0" days, a goal near the disk's size)
// can make the rules select nearly every archived study, and a pass would then empty the image
// store in one go. When the rules select more than the allowed share of the candidates, nothing
// stays selected and the pass deletes nothing; a person looks at the rules first.
#include <optional>
#include <string>

#include "removal/DeletionCandidates.h"

namespace mirabel {

// When the studies the rules selected, over both candidate lists, are more than maxPercent of
// all candidates: clears every selected flag and returns why (the error-log text, also written
// there). nullopt when the selection stands.
std::optional<std::string> ApplyRemovalBrake(DeletionCandidates& lists, int maxPercent);

}  // namespace mirabel
