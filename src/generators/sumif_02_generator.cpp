#include "generators/sumif_02_generator.h"

#include <array>

#include "generators/sumif_steps.h"

namespace sumwright {
namespace {

constexpr std::array<std::string_view, 3> notes_before_row{
    "The grouping column and summation column must only have data that pairs from the combinationa that we "
    "expect.",
    "",
    "Row number (start) with data must be row() > 1",
};

constexpr SumifPrompts prompts{
    .notes_before_row = notes_before_row,
    .first_row = "Row number (start) with data cell   = ",
};

constexpr IntroductionLabels introduction_labels{
    "Column name for creating group    = ",
    "Column name      with data        = ",
    "Row number start with data cell   = ",
    "Column name start with free area  = ",
};

// Data rows; the selection row below the table; the list rows from the
// second row below the table, first in the column that numbers them, then in
// the columns that look the numbers up.
constexpr InstructionForm data_rows{
    "Copy formula in cell <b> ",
    " </b> .",
    "Then copy formula from these cell by the end of the table.",
};
constexpr InstructionForm selection_row{
    "Copy formula in cell <b> ",
    " </b> at the end of table + 1 row.",
    "",
};
constexpr InstructionForm list_numbers{
    "Copy formula in column <b> ",
    " </b> at the end of table + 2 rows.",
    "Then copy formula from these cell to the next cells in column until formula dos not indicate an error.",
};
constexpr InstructionForm list_lookups{
    "Copy formula in column <b> ",
    " </b> at the end of the table + 2 rows.",
    "Then copy formula from these cell to the next cells in column until formula dos not indicate an error.",
};

constexpr std::array<SumifStep, 17> steps{{
    {"=SUMIF({G}:{G}{S}{G}{r}{S}{D}:{D})", 0, true, &data_rows},
    {"=COUNTIF({G}${r}:{G}{r}{S}{G}{r})", 1, true, &data_rows},
    {R"(=IF({F+1}{r}=1{S}{F}{r}{S}""))", 2, true, &data_rows},
    {"=COUNT({F+2}${r}:{F+2}{r})", 3, true, &data_rows},
    {"={G}{r}", 4, true, &data_rows},
    {"={F+2}{r}", 5, true, &data_rows},
    {R"(=IF(INDIRECT("${F+7}$"&TEXT((COUNT({F+3}:{F+3}{S}">0") + {r}){S}"#"))={F+4}{r}{S})"
     R"("<<<  "&{F+4}{r}{S}""))",
     7, true, &data_rows},
    {R"(=IF(INDIRECT("${F+7}$"&TEXT((COUNT({F+3}:{F+3}{S}">0") + {r}){S}"#"))={F+4}{r}{S})"
     R"("SUM ="{S}""))",
     8, true, &data_rows},
    {R"(=IF({F+7}{r}<>""{S}SUMIF({G}${r}:{G}{r}{S}{G}{r}{S}{D}${r}:{D}{r}){S}""))", 9, true, &data_rows},
    {R"(="INPUT(1 - "&TEXT(MAX({F+3}:{F+3}){S}"#")&")=")", 5, false, &selection_row},
    {"=VLOOKUP(INDIRECT(ADDRESS(ROW(){S}COLUMN()-1{S}4)){S}(INDIRECT(ADDRESS(ROW()+1{S}COLUMN()-1{S}4))):"
     "(INDIRECT(ADDRESS(ROW() + MAX({F+3}:{F+3}){S}COLUMN()+2){S}4)){S}2)",
     7, false, &selection_row},
    {"=VLOOKUP(INDIRECT(ADDRESS(ROW(){S}COLUMN()-2{S}4)){S}(INDIRECT(ADDRESS(ROW()+1{S}COLUMN()-2{S}4))):"
     "(INDIRECT(ADDRESS(ROW() + MAX({F+3}:{F+3}){S}COLUMN()+1){S}4)){S}3)",
     8, false, &selection_row},
    {"=VLOOKUP(INDIRECT(ADDRESS(ROW(){S}COLUMN()-3{S}4)){S}(INDIRECT(ADDRESS(ROW()+1{S}COLUMN()-3{S}4))):"
     "(INDIRECT(ADDRESS(ROW() + MAX({F+3}:{F+3}){S}COLUMN()){S}4)){S}4)",
     9, false, &selection_row},
    {"=ROW()-COUNT({F+3}:{F+3})-({r})", 6, false, &list_numbers},
    {R"(=IF(VLOOKUP((ROW()-COUNT({F+3}:{F+3})-({r})){S}{F+3}:{F+5}{S}2{S}FALSE())<>""{S})"
     R"(VLOOKUP((ROW()-COUNT({F+3}:{F+3})-({r})){S}{F+3}:{F+5}{S}2{S}FALSE()){S}""))",
     7, false, &list_lookups},
    {R"(=IF(VLOOKUP((ROW()-COUNT({F+3}:{F+3})-({r})){S}{F+3}:{F+5}{S}2{S}FALSE())<>""{S})"
     R"("SUMIF({G}="&VLOOKUP((ROW()-COUNT({F+3}:{F+3})-({r})){S}{F+3}:{F+5}{S}2{S}FALSE()))"
     R"(&"{S}"&"{D}"&")="{S}""))",
     8, false, &list_lookups},
    {"=VLOOKUP((ROW()-COUNT({F+3}:{F+3})-({r})){S}{F+3}:{F+5}{S}3{S}FALSE())", 9, false, &list_lookups},
}};

// The selection row's column where the user types a group number: it gets no
// formula, and the note after the selection row's first step says so.
constexpr SkippedColumn group_number_column{.after_step = 10, .column_offset = 6};

}  // namespace

SumifAnswers ask_sumif_02_questions(Console& console) { return ask_sumif_questions(console, prompts); }

void write_sumif_02_body(LineSink& report, const SumifAnswers& answers, std::string_view formula_separator) {
    write_sumif_body(report, answers, formula_separator, introduction_labels, steps, group_number_column);
}

std::optional<std::string> sumif_02_sheet_problem(const SumifAnswers& answers) {
    return sumif_sheet_problem(answers, steps, group_number_column);
}

}  // namespace sumwright
