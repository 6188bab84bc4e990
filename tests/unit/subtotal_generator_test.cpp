#include "generators/subtotal_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "golden_report.h"

namespace sumwright {
namespace {

using Lines = std::vector<std::string>;

Lines body_of(const SubtotalAnswers& answers, std::string_view separator = ";") {
    MemoryLineSink sink;
    write_subtotal_body(sink, answers, separator);
    return sink.lines();
}

constexpr std::size_t echo_lines = 15;
constexpr std::size_t marker_block_lines = 10;
constexpr std::size_t sum_block_lines = 12;

void append(Lines& lines, const Lines& more) { lines.insert(lines.end(), more.begin(), more.end()); }

Lines targets_of(const Lines& body) {
    Lines targets;
    const std::string opening = "Copy formula in cell ";
    for (const std::string& line : body) {
        if (line.starts_with(opening)) {
            targets.push_back(line.substr(opening.size(), line.size() - opening.size() - 1));
        }
    }
    return targets;
}

TEST(SubtotalBody, OneLevelHasThreeStepsWithoutOr) {
    const Lines body = body_of({"A", 1, "D", 2, "F"});
    EXPECT_EQ(
        formulas_of(body),
        (Lines{
            R"(=IF(A2<>A3;ROW();""))", R"(=IF(F2<>"";T("SUBTOTAL_01(A="&A2&", D)=");""))",
            R"(=IF(F2<>"";SUM(INDIRECT("D"&TEXT((MAX(1;F$2:INDIRECT("F"&TEXT(ROW()-1;"#")))+IF(ROW()>2;1;0));"#")):INDIRECT("D"&TEXT(ROW();"#")));""))"}));
    EXPECT_EQ(targets_of(body), (Lines{"F2", "G2", "H2"}));
}

TEST(SubtotalBody, NoLevelsWriteOnlyTheEchoAndTheClosingLines) {
    // The echo of worked example 1 but for its level count, and the closing lines.
    const Lines example = golden_body("subtotal_example_1");
    ASSERT_GE(example.size(), echo_lines);
    Lines expected(example.begin(), example.begin() + echo_lines);
    expected[4] = "The number of columns in the group for sort =  0";
    append(expected, {"<br>", "<br>"});
    EXPECT_EQ(body_of({"A", 0, "D", 2, "F"}), expected);
    expected[4] = "The number of columns in the group for sort = -1";
    EXPECT_EQ(body_of({"A", -1, "D", 2, "F"}), expected);
}

TEST(SubtotalBody, FourLevelsGrowTheMarkerListAndTheLabelPrefix) {
    const Lines formulas = formulas_of(body_of({"A", 4, "E", 2, "F"}));
    ASSERT_EQ(formulas.size(), 12U);
    const Lines markers(formulas.begin(), formulas.begin() + 4);
    EXPECT_EQ(markers, (Lines{
                           R"(=IF(A2<>A3;ROW();""))",
                           R"(=IF(OR(B2<>B3;F2<>"");ROW();""))",
                           R"(=IF(OR(C2<>C3;F2<>"";G2<>"");ROW();""))",
                           R"(=IF(OR(D2<>D3;F2<>"";G2<>"";H2<>"");ROW();""))",
                       }));
    const Lines labels = {formulas[4], formulas[6], formulas[8], formulas[10]};
    EXPECT_EQ(labels, (Lines{
                          R"(=IF(F2<>"";T("SUBTOTAL_01(A="&A2&", E)=");""))",
                          R"(=IF(G2<>"";T("SUBTOTAL_02(A="&A2&", B="&B2&", E)=");""))",
                          R"(=IF(H2<>"";T("SUBTOTAL_03(A="&A2&", B="&B2&", C="&C2&", E)=");""))",
                          R"(=IF(I2<>"";T("SUBTOTAL_04(A="&A2&", B="&B2&", C="&C2&", D="&D2&", E)=");""))",
                      }));
    // Every label and sum formula tests its level's marker column.
    for (std::size_t level = 0; level < 4; ++level) {
        const std::string marker(1, static_cast<char>('F' + level));
        EXPECT_TRUE(formulas[4 + 2 * level + 1].starts_with("=IF(" + marker + "2<>\"\";SUM(")) << level;
    }
}

TEST(SubtotalBody, LevelsPastNineFollowSubtotal0WithThePlainNumber) {
    const Lines formulas = formulas_of(body_of({"A", 12, "D", 2, "AA"}));
    ASSERT_EQ(formulas.size(), 36U);
    EXPECT_TRUE(formulas[12 + 2 * 8].find("T(\"SUBTOTAL_09(A=") != std::string::npos);
    EXPECT_TRUE(formulas[12 + 2 * 9].find("T(\"SUBTOTAL_010(A=") != std::string::npos);
    EXPECT_TRUE(formulas[12 + 2 * 11].find("T(\"SUBTOTAL_012(A=") != std::string::npos);
    EXPECT_TRUE(formulas[12 + 2 * 11].ends_with(R"(L="&L2&", D)=");""))"));
    // Step numbers run on past nine without padding.
    const Lines body = body_of({"A", 4, "D", 2, "F"});
    EXPECT_NE(std::find(body.begin(), body.end(), "step = 12"), body.end());
}

TEST(SubtotalBody, StartColumnAsTypedOnlyInTheFirstMarker) {
    // The first marker formula takes the answer as typed; the labels take the
    // converted letters, and so do the targets of a free column with spaces.
    const Lines body = body_of({" a ", 2, "d ", 2, "f "});
    const Lines formulas = formulas_of(body);
    EXPECT_EQ(formulas[0], R"(=IF( A 2<> A 3;ROW();""))");
    EXPECT_EQ(formulas[1], R"(=IF(OR(B2<>B3;F2<>"");ROW();""))");
    EXPECT_EQ(formulas[2], R"(=IF(F2<>"";T("SUBTOTAL_01(A="&A2&", D )=");""))");
    EXPECT_EQ(targets_of(body), (Lines{"F2", "G2", "H2", "I2", "J2", "K2"}));
    EXPECT_EQ(body[2], "Column name                  for start sort =  A ");
    EXPECT_EQ(body[13], "Column name with start of free area = F ");
}

TEST(SubtotalBody, ColumnsCrossIntoTheNextFirstLetter) {
    const Lines body = body_of({"Y", 3, "D", 2, "AX"});
    const Lines formulas = formulas_of(body);
    EXPECT_EQ(formulas[2], R"(=IF(OR(AA2<>AA3;AX2<>"";AY2<>"");ROW();""))");
    EXPECT_EQ(targets_of(body), (Lines{"AX2", "AY2", "AZ2", "BA2", "BB2", "BC2", "BD2", "BE2", "BF2"}));
}

TEST(SubtotalBody, EmptyDataColumnLeavesItsPiecesEmpty) {
    const Lines formulas = formulas_of(body_of({"A", 1, "", 2, "F"}));
    EXPECT_EQ(formulas[1], R"(=IF(F2<>"";T("SUBTOTAL_01(A="&A2&", )=");""))");
    EXPECT_EQ(
        formulas[2],
        R"(=IF(F2<>"";SUM(INDIRECT(""&TEXT((MAX(1;F$2:INDIRECT("F"&TEXT(ROW()-1;"#")))+IF(ROW()>2;1;0));"#")):INDIRECT(""&TEXT(ROW();"#")));""))");
}

struct RowCase {
    std::int32_t row;
    const char* echo;
    const char* first_marker;
    const char* first_target;
    const char* sum_range;  // R - 1 and the marker range in the sum formula, 64-bit
};

class SubtotalFirstRow : public testing::TestWithParam<RowCase> {};

// Row 1 has no row above it: the range of earlier group ends stops at row 1.
constexpr const char* row_1_range = R"((MAX(0;F$1:INDIRECT("F"&TEXT(MAX(ROW()-1;1);"#"))))";

TEST_P(SubtotalFirstRow, RowIsANumberFieldInTheEchoAndNumberTextElsewhere) {
    const Lines body = body_of({"A", 1, "D", GetParam().row, "F"});
    EXPECT_EQ(body[11], std::string("Row number (start) with data cell   = ") + GetParam().echo);
    EXPECT_EQ(formulas_of(body)[0], GetParam().first_marker);
    EXPECT_EQ(targets_of(body)[0], GetParam().first_target);
    EXPECT_NE(formulas_of(body)[2].find(GetParam().sum_range), std::string::npos) << formulas_of(body)[2];
}

INSTANTIATE_TEST_SUITE_P(Rows, SubtotalFirstRow,
                         testing::Values(RowCase{12, " 12", R"(=IF(A12<>A13;ROW();""))", "F12", "(MAX(11;F$12:"},
                                         RowCase{1, " 1", R"(=IF(A1<>A2;ROW();""))", "F1", row_1_range},
                                         RowCase{0, " 0", R"(=IF(A0<>A1;ROW();""))", "F0", "(MAX(-1;F$0:"},
                                         RowCase{-3, "-3", R"(=IF(A-3<>A-2;ROW();""))", "F-3", "(MAX(-4;F$-3:"},
                                         RowCase{std::numeric_limits<std::int32_t>::max(), " 2147483647",
                                                 R"(=IF(A2147483647<>A2147483648;ROW();""))", "F2147483647",
                                                 "(MAX(2147483646;F$2147483647:"},
                                         RowCase{std::numeric_limits<std::int32_t>::min(), "-2147483648",
                                                 R"(=IF(A-2147483648<>A-2147483647;ROW();""))", "F-2147483648",
                                                 "(MAX(-2147483649;F$-2147483648:"}));

TEST(SubtotalBody, OtherSeparatorGoesBetweenEveryArgument) {
    const Lines formulas = formulas_of(body_of({"A", 2, "D", 2, "F"}, ","));
    EXPECT_EQ(formulas[1], R"(=IF(OR(B2<>B3,F2<>""),ROW(),""))");
    EXPECT_EQ(
        formulas[3],
        R"(=IF(F2<>"",SUM(INDIRECT("D"&TEXT((MAX(1,F$2:INDIRECT("F"&TEXT(ROW()-1,"#")))+IF(ROW()>2,1,0)),"#")):INDIRECT("D"&TEXT(ROW(),"#"))),""))");
}

TEST(SubtotalBody, LargestLevelCountStreamsAndStopsOnceTheReportCanTakeNoMore) {
    // Nothing is prepared per level before the first line is written, and
    // without the stop this would compose billions of ever longer formulas.
    MemoryLineSink sink(echo_lines + 3 * marker_block_lines);
    write_subtotal_body(sink, {"A", std::numeric_limits<std::int32_t>::max(), "D", 2, "F"}, ";");
    const Lines& lines = sink.lines();
    EXPECT_LT(lines.size(), echo_lines + 4 * marker_block_lines + 2 * sum_block_lines + 2);
    EXPECT_EQ(lines[4], "The number of columns in the group for sort =  2147483647");
    const Lines formulas = formulas_of(lines);
    EXPECT_EQ(Lines(formulas.begin(), formulas.begin() + 3),
              (Lines{R"(=IF(A2<>A3;ROW();""))", R"(=IF(OR(B2<>B3;F2<>"");ROW();""))",
                     R"(=IF(OR(C2<>C3;F2<>"";G2<>"");ROW();""))"}));
}

}  // namespace
}  // namespace sumwright
