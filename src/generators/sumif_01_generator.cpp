#include "generators/sumif_01_generator.h"

#include <array>

#include "generators/sumif_steps.h"

namespace sumwright {
namespace {

constexpr std::array<std::string_view, 1> notes_before_row{"Row number (start) with data must be row() > 1"};

constexpr SumifPrompts prompts{
    .notes_before_row = notes_before_row,
    .first_row = "Row number (start) with data cell = ",
};

constexpr IntroductionLabels introduction_labels{
    "Column name for creating group = ",
    "Column name with data = ",
    "Row number start with data cell = ",
    "Column name start with free area = ",
};

// Steps 1 to 6 fill every data row; steps 7 to 9 start in the row after the
// table and are copied down until the lookup fails.
constexpr InstructionForm data_rows{
    "Copy formula in cell ",
    ".",
    "Then copy formula from these cell by the end of the table.",
};
constexpr InstructionForm below_table{
    "Copy formula in cell <b> ",
    " </b> at the end of table + 1 row.",
    "Then copy formula from these cell to the next cells in column until formula dos not indicate an error.",
};

constexpr std::array<SumifStep, 9> steps{{
    {"=SUMIF({G}:{G}{S}{G}{r}{S}{D}:{D})", 0, true, &data_rows},
    {"=COUNTIF({G}${r}:{G}{r}{S}{G}{r})", 1, true, &data_rows},
    {R"(=IF(AND({F+1}{r}=1{S}{F}{r}<>0){S}{F}{r}{S}""))", 2, true, &data_rows},
    {"=COUNT({F+2}${r}:{F+2}{r})", 3, true, &data_rows},
    {"={G}{r}", 4, true, &data_rows},
    {"={F+2}{r}", 5, true, &data_rows},
    {"=ROW()-COUNT({F+3}:{F+3})-({r}-1)", 6, false, &below_table},
    {R"(=IF(VLOOKUP((ROW()-COUNT({F+3}:{F+3})-({r}-1)){S}{F+3}:{F+5}{S}2{S}FALSE())<>""{S})"
     R"("SUMIF({G}="&VLOOKUP((ROW()-COUNT({F+3}:{F+3})-({r}-1)){S}{F+3}:{F+5}{S}2{S}FALSE()))"
     R"(&"{S}"&"{D}"&")="{S}""))",
     7, false, &below_table},
    {"=VLOOKUP((ROW()-COUNT({F+3}:{F+3})-({r}-1)){S}{F+3}:{F+5}{S}3{S}FALSE())", 8, false, &below_table},
}};

}  // namespace

SumifAnswers ask_sumif_01_questions(Console& console) { return ask_sumif_questions(console, prompts); }

void write_sumif_01_body(LineSink& report, const SumifAnswers& answers, std::string_view formula_separator) {
    write_sumif_body(report, answers, formula_separator, introduction_labels, steps);
}

std::optional<std::string> sumif_01_sheet_problem(const SumifAnswers& answers) {
    return sumif_sheet_problem(answers, steps);
}

}  // namespace sumwright
