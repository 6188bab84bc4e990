#include "console/prompted_input.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace sumwright {
namespace {

constexpr std::int32_t int32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32_min = std::numeric_limits<std::int32_t>::min();

struct TextCase {
    std::string line;
    std::string answer;
};

void PrintTo(const TextCase& text_case, std::ostream* out) {
    *out << testing::PrintToString(text_case.line.substr(0, 40));
}

class TextAnswer : public testing::TestWithParam<TextCase> {};

TEST_P(TextAnswer, TakesTheFirstFieldByTheConventions) { EXPECT_EQ(text_answer(GetParam().line), GetParam().answer); }

INSTANTIATE_TEST_SUITE_P(Lines, TextAnswer,
                         testing::Values(TextCase{"", ""}, TextCase{"B", "B"},
                                         TextCase{"  ab  ", "ab  "},        // leading blanks go, trailing stay
                                         TextCase{"\t \tab", "ab"},         // tabs are blanks too
                                         TextCase{"a,b", "a"},              // only the first field
                                         TextCase{",b", ""},                // an empty first field
                                         TextCase{"\"a, b\" c,d", "a, b"},  // quotes take commas
                                         TextCase{"  \"x y", "x y"},        // no closing quote
                                         TextCase{"a\"b\",c", "a\"b\""},    // a later quote is ordinary
                                         TextCase{"a b\tc ,d", "a b\tc "},
                                         // At most 4096 characters, quoted or not.
                                         TextCase{"   " + std::string(5000, 'x') + ",y", std::string(4096, 'x')},
                                         TextCase{"\"" + std::string(5000, 'q') + "\"", std::string(4096, 'q')}));

struct NumberCase {
    std::string line;
    std::int32_t value;
};

void PrintTo(const NumberCase& number_case, std::ostream* out) {
    *out << testing::PrintToString(number_case.line.substr(0, 40));
}

class NumberAnswer : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberAnswer, ReadsTheFieldByTheConventions) {
    EXPECT_EQ(number_answer(GetParam().line), GetParam().value) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Integers, NumberAnswer,
                         testing::Values(NumberCase{"2", 2}, NumberCase{"7 8", 7}, NumberCase{"x", 0},
                                         NumberCase{"", 0}, NumberCase{"-3", -3}, NumberCase{"+12", 12},
                                         NumberCase{"12abc", 12}, NumberCase{"  \t42", 42}, NumberCase{"5,6", 5},
                                         NumberCase{"\"9\"", 9}, NumberCase{"1\"2", 12}, NumberCase{"-", 0},
                                         NumberCase{"--5", 0}));

INSTANTIATE_TEST_SUITE_P(DecimalsRoundHalfToEven, NumberAnswer,
                         testing::Values(NumberCase{"4.5", 4}, NumberCase{"5.5", 6}, NumberCase{"2.5", 2},
                                         NumberCase{"3.5", 4}, NumberCase{"-2.5", -2}, NumberCase{"2.4999", 2},
                                         NumberCase{"1e2", 100}, NumberCase{"1D2", 100}, NumberCase{"1d-1", 0},
                                         NumberCase{"7.6xyz", 8}, NumberCase{".5", 0}, NumberCase{"1.5e1", 15},
                                         NumberCase{"e5", 0}, NumberCase{"3e", 3}, NumberCase{"-.6", -1}));

INSTANTIATE_TEST_SUITE_P(Radixes, NumberAnswer,
                         testing::Values(NumberCase{"&H1F", 31}, NumberCase{"&hff", 255}, NumberCase{"&HE", 14},
                                         NumberCase{"&HDEAD", 0xDEAD}, NumberCase{"&O17", 15}, NumberCase{"&o8", 0},
                                         NumberCase{"&B101", 5}, NumberCase{"&b2", 0}, NumberCase{"&H", 0},
                                         NumberCase{"&X1", 0}));

INSTANTIATE_TEST_SUITE_P(SaturateAtThe32BitLimits, NumberAnswer,
                         testing::Values(NumberCase{"2147483647", int32_max}, NumberCase{"2147483648", int32_max},
                                         NumberCase{"-2147483648", int32_min},
                                         NumberCase{"-99999999999999999999", int32_min},
                                         NumberCase{"99999999999999999999999999", int32_max},
                                         NumberCase{"1e300", int32_max}, NumberCase{"-1e999", int32_min},
                                         NumberCase{"1e99999999999", int32_max},
                                         NumberCase{"&HFFFFFFFFFFFF", int32_max},
                                         NumberCase{"&B11111111111111111111111111111111111", int32_max},
                                         NumberCase{"inf", 0}, NumberCase{"nan", 0}, NumberCase{"0x1p4", 0}));

// At most 67 characters are read, after the blanks: a 68th would make the
// number larger.
INSTANTIATE_TEST_SUITE_P(ReadAtMost67Characters, NumberAnswer,
                         testing::Values(NumberCase{std::string(67, '0') + "1", 0},
                                         NumberCase{std::string(66, '0') + "1", 1},
                                         NumberCase{std::string(66, ' ') + std::string(66, '0') + "7", 7}));

}  // namespace
}  // namespace sumwright
