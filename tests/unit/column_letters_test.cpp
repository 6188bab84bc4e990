#include "addressing/column_letters.h"

#include <gtest/gtest.h>

#include <limits>

namespace sumwright {
namespace {

TEST(ColumnToNumber, WorkedExamples) {
    EXPECT_EQ(column_to_number("A"), 1);
    EXPECT_EQ(column_to_number("Z"), 26);
    EXPECT_EQ(column_to_number("AA"), 27);
    EXPECT_EQ(column_to_number("AZ"), 52);
    EXPECT_EQ(column_to_number("BA"), 53);
    EXPECT_EQ(column_to_number("ZZ"), 702);
    EXPECT_EQ(column_to_number("aa"), 27);
    EXPECT_EQ(column_to_number(" b "), 2);
    EXPECT_EQ(column_to_number("ABC"), 1);
}

TEST(ColumnToNumber, OddTextsGoThroughTheSameArithmetic) {
    EXPECT_EQ(column_to_number(""), -64);
    EXPECT_EQ(column_to_number("   "), -64);
    EXPECT_EQ(column_to_number("1"), -15);
    EXPECT_EQ(column_to_number("A1"), 11);
    EXPECT_EQ(column_to_number("\tA"), (9 - 64) * 26 + 1) << "tabs are not trimmed";
    EXPECT_EQ(column_to_number("\xFF\xFF"), (255 - 64) * 26 + 255 - 64) << "bytes count unsigned";
}

TEST(NumberToColumn, WorkedExamples) {
    const std::pair<int, const char*> examples[] = {{1, "A"},   {25, "Y"},  {26, "Z"},  {27, "AA"},  {51, "AY"},
                                                    {52, "AZ"}, {53, "BA"}, {78, "BZ"}, {677, "ZA"}, {702, "ZZ"}};
    for (const auto& [number, letters] : examples) {
        EXPECT_EQ(number_to_column(number), letters) << number;
    }
}

TEST(NumberToColumn, OutsideTheColumnRange) {
    EXPECT_EQ(number_to_column(703), std::string({'\x5B', 'A'}));
    EXPECT_EQ(number_to_column(728), std::string({'\x5B', 'Z'}));
    EXPECT_EQ(number_to_column(0), "@");
    EXPECT_EQ(number_to_column(-1), "Y");
    EXPECT_EQ(number_to_column(-26), "@");
    // Extremes neither overflow nor leave the byte range.
    EXPECT_EQ(number_to_column(std::numeric_limits<std::int32_t>::max()).size(), 2U);
    EXPECT_EQ(number_to_column(std::numeric_limits<std::int32_t>::min()), "B");  // -2^31 = 2 mod 26
}

// Numbers from 4993 on would need a first character past code 255. It once
// wrapped around to control characters, so a subtotal of some 1750 levels
// wrote bare line feeds into its report (found by fuzzing).
TEST(NumberToColumn, NeverGivesAControlCharacter) {
    EXPECT_EQ(number_to_column(4991), std::string({'\xFF', 'Y'}));
    EXPECT_EQ(number_to_column(4992), std::string({'\xFF', 'Z'}));
    EXPECT_EQ(number_to_column(4993), std::string({'\xFF', 'A'}));
    EXPECT_EQ(number_to_column(202 * 26 + 1), std::string({'\xFF', 'A'}));
    EXPECT_EQ(number_to_column(std::numeric_limits<std::int32_t>::max()), std::string({'\xFF', 'W'}));
    for (std::int32_t number = -30; number < 20000; ++number) {
        for (const char c : number_to_column(number)) {
            ASSERT_GE(static_cast<unsigned char>(c), 64) << number;
        }
    }
}

TEST(ColumnLetters, RoundTripOverEveryColumn) {
    for (int number = 1; number <= 702; ++number) {
        const std::string letters = number_to_column(number);
        EXPECT_EQ(column_to_number(letters), number) << letters;
    }
}

TEST(ColumnOffset, AddsToTheColumnNumberAndSaturates) {
    EXPECT_EQ(column_offset("ay", 2), "BA");
    EXPECT_EQ(column_offset(" F ", 0), "F");
    // Saturated at the 32-bit extremes, whose columns are pinned above.
    EXPECT_EQ(column_offset("A", std::numeric_limits<std::int64_t>::max()), std::string({'\xFF', 'W'}));
    EXPECT_EQ(column_offset("A", std::numeric_limits<std::int64_t>::min()), "B");
}

}  // namespace
}  // namespace sumwright
