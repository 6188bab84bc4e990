#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "generators/sumif_answers.h"
#include "text/line_sink.h"

namespace sumwright {

// Asks the four questions on the console. Throws InputEnded.
SumifAnswers ask_sumif_01_questions(Console& console);

// The report body: the introduction block, nine step blocks and the two
// closing "<br>" lines (111 lines whatever the answers).
void write_sumif_01_body(LineSink& report, const SumifAnswers& answers, std::string_view formula_separator);

// Why no sheet can take the report of these answers (a column past the last);
// nothing when it fits.
std::optional<std::string> sumif_01_sheet_problem(const SumifAnswers& answers);

}  // namespace sumwright
