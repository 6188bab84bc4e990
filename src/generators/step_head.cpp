#include "generators/step_head.h"

#include <string>

#include "text/number_text.h"

namespace sumwright {

void write_block_rule(LineSink& report) {
    report.write_line("<br>");
    report.write_line("--------------------");
    report.write_line("<br>");
}

void write_step_head(LineSink& report, std::int64_t step, bool break_on_step_line) {
    write_block_rule(report);
    if (break_on_step_line) {
        report.write_line("step = " + number_text(step) + "<br>");
    } else {
        report.write_line("step = " + number_text(step));
        report.write_line("<br>");
    }
}

}  // namespace sumwright
