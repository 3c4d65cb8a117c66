#include "core/Contract.h"

#include <gtest/gtest.h>

namespace {

int checkedSlot(int slot) {
    VORNDLE_EXPECTS(slot >= 0 && slot < 4, "one of four slots");
    return slot;
}

// Release builds keep the check: a broken rule stops the program with its place, the rule and why.
TEST(ContractDeathTest, ABrokenPreconditionStopsWithItsPlaceRuleAndReason) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EQ(checkedSlot(3), 3);
    EXPECT_DEATH(checkedSlot(4),
                 "ContractTest\\.cpp:[0-9]+: checkedSlot: precondition failed: slot >= 0 && slot < 4 "
                 "\\(one of four slots\\)");
}

} // namespace
