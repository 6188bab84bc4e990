#include "addressing/column_letters.h"

#include <gtest/gtest.h>

#include <limits>

namespace sumwright {
namespace {

// Both ways across the borders of name lengths, up to the sheet's last
// column XFD and to the 32-bit limit.
TEST(ColumnLetters, BothWays) {
    const std::pair<std::int32_t, const char*> columns[] = {
        {1, "A"},       {25, "Y"},      {26, "Z"},       {27, "AA"},
        {51, "AY"},     {52, "AZ"},     {53, "BA"},      {78, "BZ"},
        {677, "ZA"},    {702, "ZZ"},    {703, "AAA"},    {728, "AAZ"},
        {1378, "AZZ"},  {1379, "BAA"},  {18278, "ZZZ"},  {731, "ABC"},
        {16384, "XFD"}, {16385, "XFE"}, {18279, "AAAA"}, {std::numeric_limits<std::int32_t>::max(), "FXSHRXW"}};
    for (const auto& [number, letters] : columns) {
        EXPECT_EQ(number_to_column(number), letters) << number;
        EXPECT_EQ(column_to_number(letters), number) << letters;
    }
    for (std::int32_t number = 1; number <= 20000; ++number) {
        ASSERT_EQ(column_to_number(number_to_column(number)), number) << number;
    }
}

TEST(ColumnToNumber, TrimsAndUpperCases) {
    EXPECT_EQ(column_to_number("aa"), 27);
    EXPECT_EQ(column_to_number(" b "), 2);
    EXPECT_EQ(column_to_number(" xfd "), 16384);
    EXPECT_EQ(column_to_number("ZZZZZZZZZZZZ"), std::numeric_limits<std::int32_t>::max()) << "saturates";
}

TEST(ColumnToNumber, OddTextsGoThroughTheSameArithmetic) {
    EXPECT_EQ(column_to_number(""), -64);
    EXPECT_EQ(column_to_number("   "), -64);
    EXPECT_EQ(column_to_number("1"), -15);
    EXPECT_EQ(column_to_number("A1"), 11);
    EXPECT_EQ(column_to_number("AB1"), 1) << "only names of letters alone count whole";
    EXPECT_EQ(column_to_number("A-C"), 1);
    EXPECT_EQ(column_to_number("[AA"), '[' - 64);
    EXPECT_EQ(column_to_number("	A"), (9 - 64) * 26 + 1) << "tabs are not trimmed";
    EXPECT_EQ(column_to_number("\xFF\xFF"), (255 - 64) * 26 + 255 - 64) << "bytes count unsigned";
}

TEST(NumberToColumn, BelowTheFirstColumn) {
    EXPECT_EQ(number_to_column(0), "@");
    EXPECT_EQ(number_to_column(-1), "Y");
    EXPECT_EQ(number_to_column(-26), "@");
    EXPECT_EQ(number_to_column(std::numeric_limits<std::int32_t>::min()), "B");  // -2^31 = 2 mod 26
}

TEST(ColumnOffset, AddsToTheColumnNumberAndSaturates) {
    EXPECT_EQ(column_offset("ay", 2), "BA");
    EXPECT_EQ(column_offset(" F ", 0), "F");
    EXPECT_EQ(column_offset("zy", 3), "AAB");
    // Saturated at the 32-bit extremes, whose columns are pinned above.
    EXPECT_EQ(column_offset("A", std::numeric_limits<std::int64_t>::max()), "FXSHRXW");
    EXPECT_EQ(column_offset("A", std::numeric_limits<std::int64_t>::min()), "B");
}

}  // namespace
}  // namespace sumwright
