#pragma once
// Stand-in until the label database lands on this branch.
#include <string>

int LabelExists(std::string label);
int AddLabel(std::string label);
