// The multilevel subtotal on arbitrary answers.
//
// Input: up to five lines, the answers S, N, D, R and F as typed. The level
// count is kept below 40 so that one input stays small.

#include <cstdint>
#include <string_view>

#include "addressing/column_letters.h"
#include "console/prompted_input.h"
#include "generators/subtotal_generator.h"
#include "report_properties.h"
#include "text/number_text.h"

namespace {

using namespace sumwright;
using namespace sumwright::fuzz;

constexpr std::int32_t level_limit = 40;

std::string report_of(const SubtotalAnswers& answers) {
    return written_report(ReportKind::subtotal, [&](LineSink& report) { write_subtotal_body(report, answers, ";"); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = input_lines<5>(std::string_view(reinterpret_cast<const char*>(data), size));
    SubtotalAnswers answers;
    answers.start_sort_column = text_answer(lines[0]);
    answers.group_column_count = number_answer(lines[1]);
    if (answers.group_column_count > level_limit) {
        answers.group_column_count %= level_limit;
    }
    answers.data_column = text_answer(lines[2]);
    answers.first_row = number_answer(lines[3]);
    answers.free_column = text_answer(lines[4]);

    const std::string report = report_of(answers);
    const std::size_t levels =
        answers.group_column_count > 0 ? static_cast<std::size_t>(answers.group_column_count) : 0;
    check_report(report, 15 + (10 + 11 + 12) * levels + 2);
    // Every level's sum starts its first group at row R: MAX begins with R - 1,
    // counted in 64 bits, before the level's marker range.
    const std::string row = number_text(answers.first_row);
    for (std::int64_t level = 1; level <= answers.group_column_count; ++level) {
        const std::string marker = upper_cased(column_offset(answers.free_column, level - 1));
        const std::string start = "TEXT((MAX(" + number_text(std::int64_t{answers.first_row} - 1) + ";" + marker + "$" +
                                  row + ":INDIRECT(\"" + marker + "\"";
        FUZZ_CHECK(report.find(start) != std::string::npos, "the first group of every level starts at row R");
    }
    check_case_blind(answers, report, report_of, &SubtotalAnswers::start_sort_column, &SubtotalAnswers::data_column,
                     &SubtotalAnswers::free_column);
    return 0;
}
