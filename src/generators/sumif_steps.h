#pragma once

#include <cstdint>
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
    std::string_view group_column;
    std::string_view data_column;
    std::span<const std::string_view> notes_before_row;  // lines shown before the row is asked
    std::string_view first_row;
    std::string_view free_column;
};

// Asks the four questions: group column, data column, the notes and the first
// data row, the free column; an empty line after each but the last. Throws
// InputEnded.
SumifAnswers ask_sumif_questions(Console& console, const SumifPrompts& prompts);

// The ten lines of the introduction block: the answers upper-cased, the row as
// a number field.
void write_introduction(LineSink& report, const IntroductionLabels& labels, const SumifAnswers& answers);

// The step's target: the column letters of the free column plus its offset,
// followed by the first data row where the target is a cell.
std::string target_of(const SumifStep& step, const TemplateValues& values);

// One step block: the head with its number, the formula and the instruction.
void write_step_block(LineSink& report, std::int64_t number, const SumifStep& step, const TemplateValues& values);

}  // namespace sumwright
