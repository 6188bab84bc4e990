// The SUMIF variant 02 on arbitrary answers.
//
// Input: up to four lines, the answers G, D, R and F as typed.

#include <cstdint>
#include <string_view>

#include "dialogue/prompted_input.h"
#include "generators/sumif_02_generator.h"
#include "report_properties.h"

namespace {

using namespace sumwright;
using namespace sumwright::fuzz;

constexpr std::size_t body_lines = 197;

std::string report_of(const SumifAnswers& answers) {
    return written_report(ReportKind::sumif_02, [&](LineSink& report) { write_sumif_02_body(report, answers, ";"); });
}

SumifAnswers recased(SumifAnswers answers, std::string (*change)(std::string)) {
    answers.group_column = change(answers.group_column);
    answers.data_column = change(answers.data_column);
    answers.free_column = change(answers.free_column);
    return answers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = input_lines<4>(std::string_view(reinterpret_cast<const char*>(data), size));
    SumifAnswers answers;
    answers.group_column = text_answer(lines[0]);
    answers.data_column = text_answer(lines[1]);
    answers.first_row = number_answer(lines[2]);
    answers.free_column = text_answer(lines[3]);

    const std::string report = report_of(answers);
    check_report(report, body_lines);
    FUZZ_CHECK(report_of(recased(answers, lower_cased)) == report, "lower-case answers give the same report");
    FUZZ_CHECK(report_of(recased(answers, upper_cased)) == report, "upper-case answers give the same report");
    return 0;
}
