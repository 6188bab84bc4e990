#pragma once

#include <cstdint>

#include "text/line_sink.h"

namespace sumwright {

// The rule that heads every step block and note: "<br>", 20 hyphens, "<br>".
void write_block_rule(LineSink& report);

// The rule and "step = N", then "<br>": on the step line itself where
// `break_on_step_line` (the subtotal's marker steps), else on a line of its own.
void write_step_head(LineSink& report, std::int64_t step, bool break_on_step_line);

}  // namespace sumwright
