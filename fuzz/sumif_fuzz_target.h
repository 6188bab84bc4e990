#pragma once

// Both SUMIF variants on arbitrary answers.
//
// Input: up to four lines, the answers G, D, R and F as typed.

#include <cstdint>
#include <string>
#include <string_view>

#include "console/prompted_input.h"
#include "generators/sumif_answers.h"
#include "report_properties.h"

namespace sumwright::fuzz {

using SumifBodyWriter = void (*)(LineSink&, const SumifAnswers&, std::string_view);

// The report of the answers in `data` has the frame and its fixed body
// length, and does not change when the answers change case.
inline int check_sumif_report(const std::uint8_t* data, std::size_t size, ReportKind kind, SumifBodyWriter write_body,
                              std::size_t body_lines) {
    const auto lines = input_lines<4>(std::string_view(reinterpret_cast<const char*>(data), size));
    SumifAnswers answers;
    answers.group_column = text_answer(lines[0]);
    answers.data_column = text_answer(lines[1]);
    answers.first_row = number_answer(lines[2]);
    answers.free_column = text_answer(lines[3]);

    const auto report_of = [&](const SumifAnswers& typed) {
        return written_report(kind, [&](LineSink& report) { write_body(report, typed, ";"); });
    };
    const std::string report = report_of(answers);
    check_report(report, body_lines);
    check_case_blind(answers, report, report_of, &SumifAnswers::group_column, &SumifAnswers::data_column,
                     &SumifAnswers::free_column);
    return 0;
}

}  // namespace sumwright::fuzz
