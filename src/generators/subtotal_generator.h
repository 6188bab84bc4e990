#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "text/line_sink.h"

namespace sumwright {

// The five answers of the multilevel subtotal, as the console gave them.
struct SubtotalAnswers {
    std::string start_sort_column;        // S
    std::int32_t group_column_count = 0;  // N
    std::string data_column;              // D
    std::int32_t first_row = 0;           // R
    std::string free_column;              // F
};

// Asks the five questions on the console. Throws InputEnded.
SubtotalAnswers ask_subtotal_questions(Console& console);

// The report body: the echo of the answers, the marker, label and sum steps
// of every level, and the two closing "<br>" lines. Streams line by line.
void write_subtotal_body(LineSink& report, const SubtotalAnswers& answers, std::string_view formula_separator);

// Why no sheet can take the report of these answers: more levels than any
// sheet has columns for, or a column past the last (the typed ones, the
// grouping columns, or the three free columns a level); nothing when it fits.
std::optional<std::string> subtotal_sheet_problem(const SubtotalAnswers& answers);

}  // namespace sumwright
