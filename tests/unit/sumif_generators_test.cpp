#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"

namespace sumwright {
namespace {

using Lines = std::vector<std::string>;
using BodyWriter = void (*)(LineSink&, const SumifAnswers&, std::string_view);

Lines body_of(BodyWriter write, const SumifAnswers& answers, std::string_view separator = ";") {
    MemoryLineSink sink;
    write(sink, answers, separator);
    return sink.lines();
}

Lines body_01(const SumifAnswers& answers, std::string_view separator = ";") {
    return body_of(write_sumif_01_body, answers, separator);
}
Lines body_02(const SumifAnswers& answers, std::string_view separator = ";") {
    return body_of(write_sumif_02_body, answers, separator);
}

// The formula lines in order: two lines after each step line.
Lines formulas_of(const Lines& body) {
    Lines formulas;
    for (std::size_t i = 0; i + 2 < body.size(); ++i) {
        if (body[i].starts_with("step = ")) {
            formulas.push_back(body[i + 2]);
        }
    }
    return formulas;
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

void append(Lines& lines, const Lines& more) { lines.insert(lines.end(), more.begin(), more.end()); }

const std::string rule = "--------------------";
const std::string by_table_end = "Then copy formula from these cell by the end of the table.";
const std::string until_error =
    "Then copy formula from these cell to the next cells in column until formula dos not indicate an error.";

Lines step_head(int step) { return {"<br>", rule, "<br>", "step = " + std::to_string(step), "<br>"}; }

struct Step {
    std::string formula;
    std::string target;
};

// --- variant 01 -------------------------------------------------------------

const Lines worked_example_1_of_01 = {
    "<b>Introduction</b>",
    "<br>",
    "Column name for creating group = B",
    "<br>",
    "Column name with data = D",
    "<br>",
    "Row number start with data cell =  2",
    "<br>",
    "Column name start with free area = F",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 1",
    "<br>",
    "=SUMIF(B:B;B2;D:D)",
    "<br>",
    "Copy formula in cell F2.",
    "<br>",
    "Then copy formula from these cell by the end of the table.",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 2",
    "<br>",
    "=COUNTIF(B$2:B2;B2)",
    "<br>",
    "Copy formula in cell G2.",
    "<br>",
    "Then copy formula from these cell by the end of the table.",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 3",
    "<br>",
    R"(=IF(AND(G2=1;F2<>0);F2;""))",
    "<br>",
    "Copy formula in cell H2.",
    "<br>",
    "Then copy formula from these cell by the end of the table.",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 4",
    "<br>",
    "=COUNT(H$2:H2)",
    "<br>",
    "Copy formula in cell I2.",
    "<br>",
    "Then copy formula from these cell by the end of the table.",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 5",
    "<br>",
    "=B2",
    "<br>",
    "Copy formula in cell J2.",
    "<br>",
    "Then copy formula from these cell by the end of the table.",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 6",
    "<br>",
    "=H2",
    "<br>",
    "Copy formula in cell K2.",
    "<br>",
    "Then copy formula from these cell by the end of the table.",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 7",
    "<br>",
    "=ROW()-COUNT(I:I)-(2-1)",
    "<br>",
    "Copy formula in cell <b> L </b> at the end of table + 1 row.",
    "<br>",
    "Then copy formula from these cell to the next cells in column until formula dos not indicate an error.",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 8",
    "<br>",
    R"(=IF(VLOOKUP((ROW()-COUNT(I:I)-(2-1));I:K;2;FALSE())<>"";"SUMIF(B="&VLOOKUP((ROW()-COUNT(I:I)-(2-1));I:K;2;FALSE())&";"&"D"&")=";""))",
    "<br>",
    "Copy formula in cell <b> M </b> at the end of table + 1 row.",
    "<br>",
    "Then copy formula from these cell to the next cells in column until formula dos not indicate an error.",
    "<br>",
    "<br>",
    "--------------------",
    "<br>",
    "step = 9",
    "<br>",
    "=VLOOKUP((ROW()-COUNT(I:I)-(2-1));I:K;3;FALSE())",
    "<br>",
    "Copy formula in cell <b> N </b> at the end of table + 1 row.",
    "<br>",
    "Then copy formula from these cell to the next cells in column until formula dos not indicate an error.",
    "<br>",
    "<br>",
    "<br>",
};

TEST(Sumif01Body, WorkedExample1LineByLine) {
    ASSERT_EQ(worked_example_1_of_01.size(), 111U);
    EXPECT_EQ(body_01({"B", "D", 2, "F"}), worked_example_1_of_01);
}

TEST(Sumif01Body, WorkedExample2DiffersInTheListedLines) {
    Lines expected = worked_example_1_of_01;
    const std::vector<std::pair<std::size_t, std::string>> changes = {
        {3, "Column name for creating group = A"},
        {5, "Column name with data = C"},
        {7, "Row number start with data cell =  5"},
        {9, "Column name start with free area = H"},
        {16, "=SUMIF(A:A;A5;C:C)"},
        {18, "Copy formula in cell H5."},
        {27, "=COUNTIF(A$5:A5;A5)"},
        {29, "Copy formula in cell I5."},
        {38, R"(=IF(AND(I5=1;H5<>0);H5;""))"},
        {40, "Copy formula in cell J5."},
        {49, "=COUNT(J$5:J5)"},
        {51, "Copy formula in cell K5."},
        {60, "=A5"},
        {62, "Copy formula in cell L5."},
        {71, "=J5"},
        {73, "Copy formula in cell M5."},
        {82, "=ROW()-COUNT(K:K)-(5-1)"},
        {84, "Copy formula in cell <b> N </b> at the end of table + 1 row."},
        {93,
         R"(=IF(VLOOKUP((ROW()-COUNT(K:K)-(5-1));K:M;2;FALSE())<>"";"SUMIF(A="&VLOOKUP((ROW()-COUNT(K:K)-(5-1));K:M;2;FALSE())&";"&"C"&")=";""))"},
        {95, "Copy formula in cell <b> O </b> at the end of table + 1 row."},
        {104, "=VLOOKUP((ROW()-COUNT(K:K)-(5-1));K:M;3;FALSE())"},
        {106, "Copy formula in cell <b> P </b> at the end of table + 1 row."},
    };
    for (const auto& [number, line] : changes) {
        expected[number - 1] = line;
    }
    EXPECT_EQ(body_01({"a", "c", 5, "h"}), expected);
}

TEST(Sumif01Body, TrailingSpaceInTheFreeColumnStaysOnlyWhereItIsTyped) {
    const Lines body = body_01({"B", "D", 2, "F "});
    EXPECT_EQ(body[8], "Column name start with free area = F ");
    EXPECT_EQ(formulas_of(body)[2], R"(=IF(AND(G2=1;F 2<>0);F 2;""))");
    Lines expected = worked_example_1_of_01;
    expected[8] = "Column name start with free area = F ";
    expected[37] = R"(=IF(AND(G2=1;F 2<>0);F 2;""))";
    EXPECT_EQ(body, expected) << "targets and every other column are unaffected";
}

TEST(Sumif01Body, FreeColumnsCrossIntoTheNextFirstLetter) {
    const Lines body = body_01({"B", "D", 2, "AY"});
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
    const Lines body = body_01({"B", "D", -3, "F"});
    EXPECT_EQ(body[6], "Row number start with data cell = -3");
    EXPECT_EQ(formulas_of(body)[0], "=SUMIF(B:B;B-3;D:D)");
    EXPECT_EQ(formulas_of(body)[6], "=ROW()-COUNT(I:I)-(-3-1)");
    EXPECT_EQ(instructions_of(body)[0], "Copy formula in cell F-3.");
}

// --- variant 02 -------------------------------------------------------------

Lines introduction_02(const std::string& g, const std::string& d, const std::string& r, const std::string& f) {
    return {"<b>Introduction</b>",
            "<br>",
            "Column name for creating group    = " + g,
            "<br>",
            "Column name      with data        = " + d,
            "<br>",
            "Row number start with data cell   = " + r,
            "<br>",
            "Column name start with free area  = " + f,
            "<br>"};
}

// Whole body of variant 02: introduction, 17 step blocks by their instruction
// forms, the skip note after step 10, two closing lines.
Lines assemble_02(const Lines& introduction, const std::vector<Step>& steps, const std::string& skipped_column) {
    Lines lines = introduction;
    for (int n = 1; n <= 17; ++n) {
        const Step& step = steps[static_cast<std::size_t>(n - 1)];
        append(lines, step_head(n));
        append(lines, {step.formula, "<br>"});
        if (n <= 9) {
            append(lines, {"Copy formula in cell <b> " + step.target + " </b> .", "<br>", by_table_end, "<br>"});
        } else if (n <= 13) {
            append(lines, {"Copy formula in cell <b> " + step.target + " </b> at the end of table + 1 row.", "<br>"});
        } else if (n == 14) {
            append(lines, {"Copy formula in column <b> " + step.target + " </b> at the end of table + 2 rows.", "<br>",
                           until_error, "<br>"});
        } else {
            append(lines, {"Copy formula in column <b> " + step.target + " </b> at the end of the table + 2 rows.",
                           "<br>", until_error, "<br>"});
        }
        if (n == 10) {
            append(lines, {"<br>", rule, "<br>", "<br>", "<b> Skip column " + skipped_column + ".</b>", "<br>"});
        }
    }
    append(lines, {"<br>", "<br>"});
    return lines;
}

const std::vector<Step> worked_example_1_of_02_steps = {
    {"=SUMIF(B:B;B2;D:D)", "F2"},
    {"=COUNTIF(B$2:B2;B2)", "G2"},
    {R"(=IF(G2=1;F2;""))", "H2"},
    {"=COUNT(H$2:H2)", "I2"},
    {"=B2", "J2"},
    {"=H2", "K2"},
    {R"(=IF(INDIRECT("$M$"&TEXT((COUNT(I:I;">0") + 2);"#"))=J2;"<<<  "&J2;""))", "M2"},
    {R"(=IF(INDIRECT("$M$"&TEXT((COUNT(I:I;">0") + 2);"#"))=J2;"SUM =";""))", "N2"},
    {R"(=IF(M2<>"";SUMIF(B$2:B2;B2;D$2:D2);""))", "O2"},
    {R"(="INPUT(1 - "&TEXT(MAX(I:I);"#")&")=")", "K"},
    {"=VLOOKUP(INDIRECT(ADDRESS(ROW();COLUMN()-1;4));(INDIRECT(ADDRESS(ROW()+1;COLUMN()-1;4))):(INDIRECT(ADDRESS("
     "ROW() + MAX(I:I);COLUMN()+2);4));2)",
     "M"},
    {"=VLOOKUP(INDIRECT(ADDRESS(ROW();COLUMN()-2;4));(INDIRECT(ADDRESS(ROW()+1;COLUMN()-2;4))):(INDIRECT(ADDRESS("
     "ROW() + MAX(I:I);COLUMN()+1);4));3)",
     "N"},
    {"=VLOOKUP(INDIRECT(ADDRESS(ROW();COLUMN()-3;4));(INDIRECT(ADDRESS(ROW()+1;COLUMN()-3;4))):(INDIRECT(ADDRESS("
     "ROW() + MAX(I:I);COLUMN());4));4)",
     "O"},
    {"=ROW()-COUNT(I:I)-(2)", "L"},
    {R"(=IF(VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;2;FALSE())<>"";VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;2;FALSE());""))", "M"},
    {R"(=IF(VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;2;FALSE())<>"";"SUMIF(B="&VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;2;FALSE())&";"&"D"&")=";""))",
     "N"},
    {"=VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;3;FALSE())", "O"},
};

TEST(Sumif02Body, WorkedExample1) {
    const Lines body = body_02({"B", "D", 2, "F"});
    const Lines expected = assemble_02(introduction_02("B", "D", " 2", "F"), worked_example_1_of_02_steps, "L");
    ASSERT_EQ(expected.size(), 197U);
    EXPECT_EQ(body, expected);
    // Lines the worked example names on their own.
    EXPECT_EQ(Lines(body.begin() + 10, body.begin() + 21),
              (Lines{"<br>", rule, "<br>", "step = 1", "<br>", "=SUMIF(B:B;B2;D:D)", "<br>",
                     "Copy formula in cell <b> F2 </b> .", "<br>", by_table_end, "<br>"}));
    EXPECT_NE(std::find(body.begin(), body.end(), "<b> Skip column L.</b>"), body.end());
    EXPECT_EQ(instructions_of(body)[9], "Copy formula in cell <b> K </b> at the end of table + 1 row.");
    EXPECT_EQ(instructions_of(body)[13], "Copy formula in column <b> L </b> at the end of table + 2 rows.");
    EXPECT_EQ(instructions_of(body)[16], "Copy formula in column <b> O </b> at the end of the table + 2 rows.");
    EXPECT_EQ(Lines(body.end() - 4, body.end()), (Lines{until_error, "<br>", "<br>", "<br>"}));
}

TEST(Sumif02Body, WorkedExample2) {
    const std::vector<Step> steps = {
        {"=SUMIF(C:C;C10;E:E)", "AB10"},
        {"=COUNTIF(C$10:C10;C10)", "AC10"},
        {R"(=IF(AC10=1;AB10;""))", "AD10"},
        {"=COUNT(AD$10:AD10)", "AE10"},
        {"=C10", "AF10"},
        {"=AD10", "AG10"},
        {R"(=IF(INDIRECT("$AI$"&TEXT((COUNT(AE:AE;">0") + 10);"#"))=AF10;"<<<  "&AF10;""))", "AI10"},
        {R"(=IF(INDIRECT("$AI$"&TEXT((COUNT(AE:AE;">0") + 10);"#"))=AF10;"SUM =";""))", "AJ10"},
        {R"(=IF(AI10<>"";SUMIF(C$10:C10;C10;E$10:E10);""))", "AK10"},
        {R"(="INPUT(1 - "&TEXT(MAX(AE:AE);"#")&")=")", "AG"},
        {"=VLOOKUP(INDIRECT(ADDRESS(ROW();COLUMN()-1;4));(INDIRECT(ADDRESS(ROW()+1;COLUMN()-1;4))):(INDIRECT("
         "ADDRESS(ROW() + MAX(AE:AE);COLUMN()+2);4));2)",
         "AI"},
        {"=VLOOKUP(INDIRECT(ADDRESS(ROW();COLUMN()-2;4));(INDIRECT(ADDRESS(ROW()+1;COLUMN()-2;4))):(INDIRECT("
         "ADDRESS(ROW() + MAX(AE:AE);COLUMN()+1);4));3)",
         "AJ"},
        {"=VLOOKUP(INDIRECT(ADDRESS(ROW();COLUMN()-3;4));(INDIRECT(ADDRESS(ROW()+1;COLUMN()-3;4))):(INDIRECT("
         "ADDRESS(ROW() + MAX(AE:AE);COLUMN());4));4)",
         "AK"},
        {"=ROW()-COUNT(AE:AE)-(10)", "AH"},
        {R"(=IF(VLOOKUP((ROW()-COUNT(AE:AE)-(10));AE:AG;2;FALSE())<>"";VLOOKUP((ROW()-COUNT(AE:AE)-(10));AE:AG;2;FALSE());""))",
         "AI"},
        {R"(=IF(VLOOKUP((ROW()-COUNT(AE:AE)-(10));AE:AG;2;FALSE())<>"";"SUMIF(C="&VLOOKUP((ROW()-COUNT(AE:AE)-(10));AE:AG;2;FALSE())&";"&"E"&")=";""))",
         "AJ"},
        {"=VLOOKUP((ROW()-COUNT(AE:AE)-(10));AE:AG;3;FALSE())", "AK"},
    };
    EXPECT_EQ(body_02({"c", "e", 10, "ab"}), assemble_02(introduction_02("C", "E", " 10", "AB"), steps, "AH"));
}

TEST(Sumif02Body, TrailingSpaceInTheFreeColumnStaysOnlyWhereItIsTyped) {
    const Lines body = body_02({"B", "D", 2, "F "});
    std::vector<Step> steps = worked_example_1_of_02_steps;
    steps[2].formula = R"(=IF(G2=1;F 2;""))";
    EXPECT_EQ(body, assemble_02(introduction_02("B", "D", " 2", "F "), steps, "L"));
}

TEST(Sumif02Body, FreeColumnsCrossIntoTheNextFirstLetter) {
    const Lines body = body_02({"B", "D", 2, "AY"});
    EXPECT_EQ(formulas_of(body)[2], R"(=IF(AZ2=1;AY2;""))");
    EXPECT_EQ(instructions_of(body)[2], "Copy formula in cell <b> BA2 </b> .");
    EXPECT_NE(std::find(body.begin(), body.end(), "<b> Skip column BE.</b>"), body.end());
    EXPECT_EQ(instructions_of(body)[16], "Copy formula in column <b> BH </b> at the end of the table + 2 rows.");
}

TEST(Sumif02Body, EmptyGroupColumnLeavesItsPiecesEmpty) {
    const Lines formulas = formulas_of(body_02({"", "D", 2, "F"}));
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
    const Lines body = body_02({"B", "D", GetParam().row, "F"});
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
};

const Variant variants[] = {{"sumif_01", write_sumif_01_body, 111, 9}, {"sumif_02", write_sumif_02_body, 197, 17}};

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

TEST_P(SumifVariant, LowerCaseAnswersGiveTheUpperCaseReport) {
    EXPECT_EQ(body_of(GetParam().write, {"b", "d", 2, "f"}), body_of(GetParam().write, {"B", "D", 2, "F"}));
    EXPECT_EQ(body_of(GetParam().write, {"ab", "cd", 7, "ay"}), body_of(GetParam().write, {"AB", "CD", 7, "AY"}));
}

TEST_P(SumifVariant, AnswersAreNotSearchedForSymbols) {
    const Lines formulas = formulas_of(body_of(GetParam().write, {"{d}", "{S}", 2, "F"}));
    EXPECT_EQ(formulas[0], "=SUMIF({D}:{D};{D}2;{S}:{S})");
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
