// A message box that no expectation answers fails the test that opened it instead of waiting for
// a person.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "core/ui/ProgramMessageBox.h"

namespace mirabel {

namespace {

TEST(UnansweredMessageBox, FailsTheTestNamingItsText) {
    EXPECT_NONFATAL_FAILURE(ProgramMessageBox("Nobody answers this box.", wxOK, nullptr),
                            "Nobody answers this box.");
}

}  // namespace

}  // namespace mirabel
