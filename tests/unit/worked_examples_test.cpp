#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "generators/subtotal_generator.h"
#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"
#include "golden_report.h"

namespace sumwright {
namespace {

// The worked examples, each with its report file in tests/data; the answers
// are as typed, lower case included. The end-to-end tests run the same
// answers through the program and compare the whole file.
struct WorkedExample {
    const char* report;
    std::function<void(LineSink&)> write_body;
};

const WorkedExample worked_examples[] = {
    {"subtotal_example_1",
     [](LineSink& sink) {
         write_subtotal_body(sink, {"A", 2, "D", 2, "F"}, ";");
     }},
    {"subtotal_example_2",
     [](LineSink& sink) {
         write_subtotal_body(sink, {"b", 3, "g", 4, "j"}, ";");
     }},
    {"sumif_01_example_1",
     [](LineSink& sink) {
         write_sumif_01_body(sink, {"B", "D", 2, "F"}, ";");
     }},
    {"sumif_01_example_2",
     [](LineSink& sink) {
         write_sumif_01_body(sink, {"a", "c", 5, "h"}, ";");
     }},
    {"sumif_02_example_1",
     [](LineSink& sink) {
         write_sumif_02_body(sink, {"B", "D", 2, "F"}, ";");
     }},
    {"sumif_02_example_2",
     [](LineSink& sink) {
         write_sumif_02_body(sink, {"c", "e", 10, "ab"}, ";");
     }},
};

void PrintTo(const WorkedExample& example, std::ostream* out) { *out << example.report; }

class WorkedExampleBody : public testing::TestWithParam<WorkedExample> {};

TEST_P(WorkedExampleBody, IsTheBodyOfItsReportFile) {
    MemoryLineSink sink;
    GetParam().write_body(sink);
    EXPECT_EQ(sink.lines(), golden_body(GetParam().report));
}

INSTANTIATE_TEST_SUITE_P(Reports, WorkedExampleBody, testing::ValuesIn(worked_examples),
                         [](const testing::TestParamInfo<WorkedExample>& info) {
                             return std::string(info.param.report);
                         });

}  // namespace
}  // namespace sumwright
