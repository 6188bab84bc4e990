#include "generators/subtotal_generator.h"

#include <array>

#include "addressing/column_letters.h"
#include "console/prompted_input.h"
#include "generators/sheet_limit.h"
#include "generators/step_head.h"
#include "text/ascii_text.h"
#include "text/number_text.h"

namespace sumwright {
namespace {

constexpr std::string_view start_sort_prompt = "Column name         for start sort  = ";
constexpr std::string_view column_count_prompt = "Numeber columns in group  for sort  = ";
constexpr std::string_view data_column_prompt = "Column name with data (subtotal)    = ";
constexpr std::string_view first_row_prompt = "Row number (start) with data cell   = ";
constexpr std::string_view free_column_prompt = "Column name with start of free area = ";

constexpr std::string_view sort_advice = "Before using formulas, table must be sort on group of columns.";
constexpr std::string_view compact_group_advice = "Columns must be arranged in a compact group.";

constexpr std::string_view empty_text = "\"\"";

// Writes the report body of one set of answers. Levels and steps are counted
// in 64 bits, so that the step numbers of the largest level count (three per
// level) stay exact; columns past the conversion's range come out as the
// conversion gives them.
class SubtotalBody {
public:
    SubtotalBody(LineSink& report, const SubtotalAnswers& answers, std::string_view separator)
        : report_(report),
          answers_(answers),
          separator_(separator),
          row_(number_text(answers.first_row)),
          next_row_(number_text(std::int64_t{answers.first_row} + 1)),
          row_before_(number_text(std::int64_t{answers.first_row} - 1)),
          // The row above ends the range of the earlier group ends. Row 1
          // has none: there the range ends at row 1 itself, whose marker,
          // where a sum is taken, is 1, the end of a group from row 1 on.
          row_above_(answers.first_row == 1 ? "max(row()-1" + std::string(separator) + "1)" : "row()-1") {}

    void write() {
        write_echo();
        const std::int64_t levels = answers_.group_column_count;
        // The body grows with the square of the level count: once the report
        // can take no more lines, composing the rest would be wasted time.
        for (std::int64_t level = 1; level <= levels && !report_.failed(); ++level) {
            write_marker_step(level);
        }
        std::int64_t step = levels;
        for (std::int64_t level = 1; level <= levels && !report_.failed(); ++level) {
            write_label_step(level, ++step);
            write_sum_step(level, ++step);
        }
        report_.write_line("<br>");
        report_.write_line("<br>");
    }

private:
    // X(k): the k-th grouping column.
    [[nodiscard]] std::string grouping_column(std::int64_t level) const {
        return column_offset(answers_.start_sort_column, level - 1);
    }
    // M(k), and more generally the free column that step s fills.
    [[nodiscard]] std::string free_column(std::int64_t index) const {
        return column_offset(answers_.free_column, index - 1);
    }

    void write_echo() {
        report_.write_line("<b>" + std::string(sort_advice) + "</b>");
        report_.write_line("<br>");
        report_.write_line("Column name                  for start sort = " + upper_cased(answers_.start_sort_column));
        report_.write_line("<br>");
        report_.write_text("The number of columns in the group for sort = ");
        report_.write_number_field(answers_.group_column_count);
        report_.write_line("<br>");
        report_.write_line(compact_group_advice);
        report_.write_line("<br>");
        report_.write_line("<br>");
        report_.write_line(std::string(data_column_prompt) + upper_cased(answers_.data_column));
        report_.write_line("<br>");
        report_.write_text(first_row_prompt);
        report_.write_number_field(answers_.first_row);
        report_.write_line("<br>");
        report_.write_line(std::string(free_column_prompt) + upper_cased(answers_.free_column));
        report_.write_line("<br>");
    }

    // The formula in upper case, then the target cell and the instructions.
    void write_formula_and_foot(std::int64_t step) {
        upper_case(formula_);
        report_.write_line(formula_);
        report_.write_line("<br>");
        report_.write_line("Copy formula in cell " + free_column(step) + row_ + ".");
        report_.write_line("<br>");
        report_.write_line("Then copy formula from these cell by the end of the table.");
        report_.write_line("<br>");
    }

    void write_marker_step(std::int64_t level) {
        write_step_head(report_, level, true);
        formula_.clear();
        if (level == 1) {
            // The first grouping column exactly as typed.
            const std::string_view start = answers_.start_sort_column;
            append("=if(", start, row_, "<>", start, next_row_, separator_, "row()", separator_, empty_text, ")");
        } else {
            const std::string column = grouping_column(level);
            const std::string outer_marker = free_column(level - 1);
            append("=if(or(", column, row_, "<>", column, next_row_, separator_);
            append(marker_list_, outer_marker, row_, "<>", empty_text, ")", separator_);
            append("row()", separator_, empty_text, ")");
            // The next level also tests this level's outer marker column.
            marker_list_ += outer_marker;
            marker_list_ += row_;
            marker_list_ += "<>";
            marker_list_ += empty_text;
            marker_list_ += separator_;
        }
        write_formula_and_foot(level);
    }

    void write_label_step(std::int64_t level, std::int64_t step) {
        write_step_head(report_, step, false);
        const std::string marker = free_column(level);
        const std::string column = grouping_column(level);
        formula_.clear();
        append("=if(", marker, row_, "<>", empty_text, separator_, "t(\"subtotal_0", number_text(level), "(");
        append(label_prefix_, column, "=\"&", column, row_, "&\", ", answers_.data_column, ")=\")");
        append(separator_, empty_text, ")");
        label_prefix_ += column;
        label_prefix_ += "=\"&";
        label_prefix_ += column;
        label_prefix_ += row_;
        label_prefix_ += "&\", ";
        write_formula_and_foot(step);
    }

    void write_sum_step(std::int64_t level, std::int64_t step) {
        write_step_head(report_, step, false);
        const std::string marker = free_column(level);
        const std::string_view data = answers_.data_column;
        formula_.clear();
        append("=if(", marker, row_, "<>", empty_text, separator_);
        // A group starts after the previous group end of its level. The first
        // group has no end above it; MAX starts from R - 1 so that it starts
        // at row R, not at row 1 with whatever the data column holds above
        // the table.
        append("sum(indirect(\"", data, "\"&text((max(", row_before_, separator_, marker, "$", row_, ":indirect(\"",
               marker, "\"&text(", row_above_, separator_, "\"#\")))+if(row()>", row_, separator_, "1", separator_,
               "0))", separator_, "\"#\")):");
        append("indirect(\"", data, "\"&text(row()", separator_, "\"#\")))", separator_, empty_text, ")");
        write_formula_and_foot(step);
        report_.write_line("<br>");
    }

    template <typename... Pieces>
    void append(const Pieces&... pieces) {
        (formula_.append(pieces), ...);
    }

    LineSink& report_;
    const SubtotalAnswers& answers_;
    std::string_view separator_;
    std::string row_;         // Rt
    std::string next_row_;    // R1t
    std::string row_before_;  // R - 1
    std::string row_above_;   // the row above the formula's own
    // The conditions on the outer marker columns that the marker formulas of
    // the inner levels repeat, and the caption of the outer levels that the
    // label formulas repeat: both grow by one level at a time.
    std::string marker_list_;
    std::string label_prefix_;
    // The one formula being composed; its storage is reused from step to step.
    std::string formula_;
};

}  // namespace

SubtotalAnswers ask_subtotal_questions(Console& console) {
    SubtotalAnswers answers;
    console.write_line(sort_advice);
    console.write_line("");
    answers.start_sort_column = prompt_text(console, start_sort_prompt);
    answers.group_column_count = prompt_number(console, column_count_prompt);
    console.write_line(compact_group_advice);
    console.write_line("");
    answers.data_column = prompt_text(console, data_column_prompt);
    console.write_line("Row number (start) with data must be row() > 1");
    answers.first_row = prompt_number(console, first_row_prompt);
    console.write_line("");
    answers.free_column = prompt_text(console, free_column_prompt);
    console.write_line("");
    return answers;
}

void write_subtotal_body(LineSink& report, const SubtotalAnswers& answers, std::string_view formula_separator) {
    SubtotalBody(report, answers, formula_separator).write();
}

std::optional<std::string> subtotal_sheet_problem(const SubtotalAnswers& answers) {
    if (auto problem = subtotal_level_count_problem(answers.group_column_count)) {
        return problem;
    }
    const std::int64_t levels = answers.group_column_count;
    const std::array<ColumnRun, 3> runs{
        {{answers.start_sort_column, levels}, {answers.data_column}, {answers.free_column, 3 * levels}}};
    return column_past_sheet_problem(runs);
}

}  // namespace sumwright
