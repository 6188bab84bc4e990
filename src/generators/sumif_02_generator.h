#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "generators/sumif_answers.h"
#include "text/line_sink.h"

namespace sumwright {

// Asks the four questions and shows the two notes on the console. Throws
// InputEnded.
SumifAnswers ask_sumif_02_questions(Console& console);

// The report body: the introduction block, seventeen step blocks with the
// skip note after step 10, and the two closing "<br>" lines (197 lines
// whatever the answers).
void write_sumif_02_body(LineSink& report, const SumifAnswers& answers, std::string_view formula_separator);

// Why no sheet can take the report of these answers (a column past the last);
// nothing when it fits.
std::optional<std::string> sumif_02_sheet_problem(const SumifAnswers& answers);

}  // namespace sumwright
