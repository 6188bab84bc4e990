#include "generators/sumif_steps.h"

#include <algorithm>
#include <array>

#include "addressing/column_letters.h"
#include "console/prompted_input.h"
#include "generators/sheet_limit.h"
#include "generators/step_head.h"
#include "text/ascii_text.h"
#include "text/number_text.h"

namespace sumwright {

SumifAnswers ask_sumif_questions(Console& console, const SumifPrompts& prompts) {
    SumifAnswers answers;
    answers.group_column = prompt_text(console, prompts.group_column);
    console.write_line("");
    answers.data_column = prompt_text(console, prompts.data_column);
    console.write_line("");
    for (const std::string_view note : prompts.notes_before_row) {
        console.write_line(note);
    }
    answers.first_row = prompt_number(console, prompts.first_row);
    console.write_line("");
    answers.free_column = prompt_text(console, prompts.free_column);
    return answers;
}

namespace {

void write_introduction(LineSink& report, const IntroductionLabels& labels, const SumifAnswers& answers) {
    report.write_line("<b>Introduction</b>");
    report.write_line("<br>");
    report.write_line(std::string(labels.group_column) + upper_cased(answers.group_column));
    report.write_line("<br>");
    report.write_line(std::string(labels.data_column) + upper_cased(answers.data_column));
    report.write_line("<br>");
    report.write_text(labels.first_row);
    report.write_number_field(answers.first_row);
    report.write_line("<br>");
    report.write_line(std::string(labels.free_column) + upper_cased(answers.free_column));
    report.write_line("<br>");
}

std::string target_of(const SumifStep& step, const TemplateValues& values) {
    std::string target = column_offset(values.free_column, step.target_offset);
    if (step.target_has_row) {
        target += values.first_row_text;
    }
    return target;
}

void write_step_block(LineSink& report, std::int64_t number, const SumifStep& step, const TemplateValues& values) {
    write_step_head(report, number, false);
    report.write_line(fill_formula_template(step.formula_template, values));
    report.write_line("<br>");
    report.write_text(step.instruction->opening);
    report.write_text(target_of(step, values));
    report.write_line(step.instruction->closing);
    report.write_line("<br>");
    if (!step.instruction->continuation.empty()) {
        report.write_line(step.instruction->continuation);
        report.write_line("<br>");
    }
}

void write_skip_note(LineSink& report, std::string_view free_column, std::int32_t column_offset) {
    write_block_rule(report);
    report.write_line("<br>");
    report.write_line("<b> Skip column " + sumwright::column_offset(free_column, column_offset) + ".</b>");
    report.write_line("<br>");
}

}  // namespace

void write_sumif_body(LineSink& report, const SumifAnswers& answers, std::string_view formula_separator,
                      const IntroductionLabels& labels, std::span<const SumifStep> steps,
                      std::optional<SkippedColumn> skipped) {
    const std::string first_row_text = number_text(answers.first_row);
    const TemplateValues values{answers.group_column, answers.data_column, first_row_text, answers.free_column,
                                formula_separator};
    write_introduction(report, labels, answers);
    std::int64_t number = 1;
    for (const SumifStep& step : steps) {
        write_step_block(report, number, step, values);
        if (skipped && number == skipped->after_step) {
            write_skip_note(report, answers.free_column, skipped->column_offset);
        }
        ++number;
    }
    report.write_line("<br>");
    report.write_line("<br>");
}

std::optional<std::string> sumif_sheet_problem(const SumifAnswers& answers, std::span<const SumifStep> steps,
                                               std::optional<SkippedColumn> skipped) {
    std::int64_t last_offset = skipped ? skipped->column_offset : 0;
    for (const SumifStep& step : steps) {
        last_offset =
            std::max({last_offset, std::int64_t{step.target_offset}, largest_free_offset(step.formula_template)});
    }
    const std::array<ColumnRun, 3> runs{
        {{answers.group_column}, {answers.data_column}, {answers.free_column, last_offset + 1}}};
    return column_past_sheet_problem(runs);
}

}  // namespace sumwright
