#include "generators/subtotal_level_limit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace sumwright {
namespace {

TEST(SubtotalLevelLimit, EveryCountUpToAWholeSheetIsWritten) {
    for (const std::int32_t count : {std::numeric_limits<std::int32_t>::min(), -1, 0, 1, 5461}) {
        EXPECT_EQ(subtotal_level_count_problem(count), std::nullopt) << count;
    }
}

TEST(SubtotalLevelLimit, MoreLevelsThanASheetHasColumnsForAreRefused) {
    EXPECT_EQ(subtotal_level_count_problem(5462),
              "5462 columns in the group need 16386 free columns, but a sheet has at most 16384 "
              "(limit: 5461 columns in the group)");
    // Three columns a level, counted past 32 bits.
    EXPECT_EQ(subtotal_level_count_problem(std::numeric_limits<std::int32_t>::max()),
              "2147483647 columns in the group need 6442450941 free columns, but a sheet has at most 16384 "
              "(limit: 5461 columns in the group)");
}

}  // namespace
}  // namespace sumwright
