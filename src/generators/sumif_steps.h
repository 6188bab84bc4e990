#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "console/console.h"
#include "generators/formula_template.h"
#include "generators/sumif_answers.h"
#include "text/line_sink.h"

namespace sumwright {

// What a SUMIF report tells the user to do with a formula: one line made of
// the opening text, the target and the closing text, then "<br>"; where there
// is a continuation, that line and one more "<br>".
struct InstructionForm {
    std::string_view opening;
    std::string_view closing;
    std::string_view continuation;  // empty: the instruction is one line
};

// One step of a SUMIF report, as data: its formula template, where its target
// lies (the free column's offset, with or without the first data row) and how
// the user is told to place it.
struct SumifStep {
    std::string_view formula_template;
    std::int32_t target_offset = 0;
    bool target_has_row = true;
    const InstructionForm* instruction = nullptr;
};

// The labels of the introduction block's four answer lines.
struct IntroductionLabels {
    std::string_view group_column;
    std::string_view data_column;
    std::string_view first_row;
    std::string_view free_column;
};

// The texts the dialogue shows while it asks the four questions.
struct SumifPrompts {
    std::string_view group_column = "Column name for creating groups = ";
    std::string_view data_column = "Column name with data (sum) = ";
    std::span<const std::string_view> notes_before_row;  // lines shown before the row is asked
    std::string_view first_row;
    std::string_view free_column = "Column name (start) with free area = ";
};

// Asks the four questions: group column, data column, the notes and the first
// data row, the free column; an empty line after each but the last. Throws
// InputEnded.
SumifAnswers ask_sumif_questions(Console& console, const SumifPrompts& prompts);

// A column of the free area that gets no formula (the user types into it),
// named in a note after one of the steps.
struct SkippedColumn {
    std::int64_t after_step = 0;
    std::int32_t column_offset = 0;
};

// A whole SUMIF report body: the introduction (the answers upper-cased, the
// row as a number field), one block a step (the head with its number, the
// formula and the instruction), the note on the skipped column, two "<br>".
void write_sumif_body(LineSink& report, const SumifAnswers& answers, std::string_view formula_separator,
                      const IntroductionLabels& labels, std::span<const SumifStep> steps,
                      std::optional<SkippedColumn> skipped = std::nullopt);

// Why no sheet can take the report that write_sumif_body would write: a
// column past the sheet's last (the typed ones, or the free area as far as
// the steps' targets, their formulas and the skipped column reach); nothing
// when it fits.
std::optional<std::string> sumif_sheet_problem(const SumifAnswers& answers, std::span<const SumifStep> steps,
                                               std::optional<SkippedColumn> skipped = std::nullopt);

}  // namespace sumwright
