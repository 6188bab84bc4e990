#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"
#include "golden_report.h"

namespace sumwright {
namespace {

using Lines = std::vector<std::string>;
using BodyWriter = void (*)(LineSink&, const SumifAnswers&, std::string_view);

Lines body_of(BodyWriter write, const SumifAnswers& answers, std::string_view separator = ";") {
    MemoryLineSink sink;
    write(sink, answers, separator);
    return sink.lines();
}

// The instruction lines ("Copy formula in ...") in order.
Lines instructions_of(const Lines& body) {
    Lines lines;
    for (const std::string& line : body) {
        if (line.starts_with("Copy formula in ")) {
            lines.push_back(line);
        }
    }
    return lines;
}

// --- variant 01 -------------------------------------------------------------

TEST(Sumif01Body, FreeColumnsCrossIntoTheNextFirstLetter) {
    const Lines body = body_of(write_sumif_01_body, {"B", "D", 2, "AY"});
    EXPECT_EQ(formulas_of(body)[2], R"(=IF(AND(AZ2=1;AY2<>0);AY2;""))");
    EXPECT_EQ(formulas_of(body)[3], "=COUNT(BA$2:BA2)");
    EXPECT_EQ(instructions_of(body), (Lines{
                                         "Copy formula in cell AY2.",
                                         "Copy formula in cell AZ2.",
                                         "Copy formula in cell BA2.",
                                         "Copy formula in cell BB2.",
                                         "Copy formula in cell BC2.",
                                         "Copy formula in cell BD2.",
                                         "Copy formula in cell <b> BE </b> at the end of table + 1 row.",
                                         "Copy formula in cell <b> BF </b> at the end of table + 1 row.",
                                         "Copy formula in cell <b> BG </b> at the end of table + 1 row.",
                                     }));
}

TEST(Sumif01Body, NegativeFirstRowIsANumberFieldWithItsSign) {
    const Lines body = body_of(write_sumif_01_body, {"B", "D", -3, "F"});
    EXPECT_EQ(body[6], "Row number start with data cell = -3");
    EXPECT_EQ(formulas_of(body)[0], "=SUMIF(B:B;B-3;D:D)");
    EXPECT_EQ(formulas_of(body)[6], "=ROW()-COUNT(I:I)-(-3-1)");
    EXPECT_EQ(instructions_of(body)[0], "Copy formula in cell F-3.");
}

// --- variant 02 -------------------------------------------------------------

TEST(Sumif02Body, FreeColumnsCrossIntoTheNextFirstLetter) {
    const Lines body = body_of(write_sumif_02_body, {"B", "D", 2, "AY"});
    EXPECT_EQ(formulas_of(body)[2], R"(=IF(AZ2=1;AY2;""))");
    EXPECT_EQ(instructions_of(body)[2], "Copy formula in cell <b> BA2 </b> .");
    EXPECT_NE(std::find(body.begin(), body.end(), "<b> Skip column BE.</b>"), body.end());
    EXPECT_EQ(instructions_of(body)[16], "Copy formula in column <b> BH </b> at the end of the table + 2 rows.");
}

TEST(Sumif02Body, EmptyGroupColumnLeavesItsPiecesEmpty) {
    const Lines formulas = formulas_of(body_of(write_sumif_02_body, {"", "D", 2, "F"}));
    EXPECT_EQ(formulas[0], "=SUMIF(:;2;D:D)");
    EXPECT_EQ(formulas[4], "=2");
    EXPECT_EQ(
        formulas[15],
        R"(=IF(VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;2;FALSE())<>"";"SUMIF(="&VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;2;FALSE())&";"&"D"&")=";""))");
}

struct RowCase {
    std::int32_t row;
    const char* field;
    const char* text;
};

class Sumif02FirstRow : public testing::TestWithParam<RowCase> {};

TEST_P(Sumif02FirstRow, NumberFieldInTheIntroductionNumberTextElsewhere) {
    const Lines body = body_of(write_sumif_02_body, {"B", "D", GetParam().row, "F"});
    const std::string r = GetParam().text;
    EXPECT_EQ(body[6], std::string("Row number start with data cell   = ") + GetParam().field);
    const Lines formulas = formulas_of(body);
    EXPECT_EQ(formulas[0], "=SUMIF(B:B;B" + r + ";D:D)");
    EXPECT_EQ(formulas[6], "=IF(INDIRECT(\"$M$\"&TEXT((COUNT(I:I;\">0\") + " + r + ");\"#\"))=J" + r + ";\"<<<  \"&J" +
                               r + ";\"\")");
    EXPECT_EQ(formulas[13], "=ROW()-COUNT(I:I)-(" + r + ")");
    EXPECT_EQ(instructions_of(body)[0], "Copy formula in cell <b> F" + r + " </b> .");
}

INSTANTIATE_TEST_SUITE_P(Rows, Sumif02FirstRow,
                         testing::Values(RowCase{2, " 2", "2"}, RowCase{0, " 0", "0"}, RowCase{-3, "-3", "-3"}));

// --- both variants ----------------------------------------------------------

struct Variant {
    const char* name;
    BodyWriter write;
    std::size_t body_lines;
    std::size_t steps;
    const char* step_3_of_free_column_f_space;  // step 3 of worked example 1 with "F " for F
};

const Variant variants[] = {{"sumif_01", write_sumif_01_body, 111, 9, R"(=IF(AND(G2=1;F 2<>0);F 2;""))"},
                            {"sumif_02", write_sumif_02_body, 197, 17, R"(=IF(G2=1;F 2;""))"}};

void PrintTo(const Variant& variant, std::ostream* out) { *out << variant.name; }

class SumifVariant : public testing::TestWithParam<Variant> {};

TEST_P(SumifVariant, BodyLengthAndStepNumbersDoNotDependOnTheAnswers) {
    const SumifAnswers odd_answers[] = {
        {"B", "D", 2, "F"},
        {"", "", 0, ""},
        {"a,b", "\"", -2147483647 - 1, "zz"},
        {"{G}", "{S}", 1, "  "},
        {"xyz", "d ", 99999, "{F+1}"},
    };
    for (const SumifAnswers& answers : odd_answers) {
        const Lines body = body_of(GetParam().write, answers);
        EXPECT_EQ(body.size(), GetParam().body_lines) << answers.group_column;
        Lines step_lines;
        for (const std::string& line : body) {
            if (line.starts_with("step = ")) {
                step_lines.push_back(line);
            }
        }
        ASSERT_EQ(step_lines.size(), GetParam().steps);
        for (std::size_t n = 1; n <= step_lines.size(); ++n) {
            EXPECT_EQ(step_lines[n - 1], "step = " + std::to_string(n));
        }
    }
}

TEST_P(SumifVariant, TrailingSpaceInTheFreeColumnStaysOnlyWhereItIsTyped) {
    // Worked example 1 but for the introduction line of F (line 9) and the
    // formula of step 3 (line 38); targets and every other column keep "F".
    Lines expected = golden_body(std::string(GetParam().name) + "_example_1");
    ASSERT_EQ(expected.size(), GetParam().body_lines);
    expected[8] += " ";
    expected[37] = GetParam().step_3_of_free_column_f_space;
    EXPECT_EQ(body_of(GetParam().write, {"B", "D", 2, "F "}), expected);
}

TEST_P(SumifVariant, SeparatorStandsInTheCaptionTextToo) {
    const Lines formulas = formulas_of(body_of(GetParam().write, {"B", "D", 2, "F"}, ","));
    EXPECT_EQ(formulas[0], "=SUMIF(B:B,B2,D:D)");
    const std::string& caption_step = formulas[GetParam().steps - 2];
    EXPECT_NE(caption_step.find(R"(&","&"D"&")=","")"), std::string::npos) << caption_step;
    EXPECT_EQ(caption_step.find(';'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Both, SumifVariant, testing::ValuesIn(variants),
                         [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sumwright
