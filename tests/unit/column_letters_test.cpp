#include "addressing/column_letters.h"

#include <gtest/gtest.h>

#include <limits>

namespace sumwright {
namespace {

constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();

// Both ways across the borders of name lengths, up to the sheet's last
// column XFD and to the 32-bit limit.
TEST(ColumnLetters, BothWays) {
    const std::pair<std::int32_t, const char*> columns[] = {
        {1, "A"},     {25, "Y"},      {26, "Z"},      {27, "AA"},      {51, "AY"},
        {52, "AZ"},   {53, "BA"},     {78, "BZ"},     {677, "ZA"},     {702, "ZZ"},
        {703, "AAA"}, {728, "AAZ"},   {1378, "AZZ"},  {1379, "BAA"},   {18278, "ZZZ"},
        {731, "ABC"}, {16384, "XFD"}, {16385, "XFE"}, {18279, "AAAA"}, {largest, "FXSHRXW"}};
    for (const auto& [number, letters] : columns) {
        EXPECT_EQ(number_to_column(number), letters) << number;
        EXPECT_EQ(column_to_number(letters), number) << letters;
    }
    for (std::int32_t number = 1; number <= 20000; ++number) {
        ASSERT_EQ(column_to_number(number_to_column(number)), number) << number;
    }
}

// Texts are trimmed of spaces (not tabs) and upper-cased; what is then no
// name of letters alone goes through the same arithmetic, bytes counted
// unsigned. Numbers below the first column give one character.
TEST(ColumnLetters, OneWay) {
    // "[" is 91, a tab 9: (9 - 64) * 26 + 1; 255: (255 - 64) * 26 + 255 - 64.
    const std::pair<const char*, std::int32_t> texts[] = {
        {"aa", 27},        {" b ", 2},   {" xfd ", 16384}, {"ZZZZZZZZZZZZ", largest},
        {"", -64},         {"   ", -64}, {"1", -15},       {"A1", 11},
        {"AB1", 1},        {"A-C", 1},   {"[AA", 27},      {"\tA", -1429},
        {"\xFF\xFF", 5157}};
    for (const auto& [text, number] : texts) {
        EXPECT_EQ(column_to_number(text), number) << text;
    }
    // -2^31 = 2 mod 26
    const std::pair<std::int32_t, const char*> numbers[] = {
        {0, "@"}, {-1, "Y"}, {-26, "@"}, {std::numeric_limits<std::int32_t>::min(), "B"}};
    for (const auto& [number, letters] : numbers) {
        EXPECT_EQ(number_to_column(number), letters) << number;
    }
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
