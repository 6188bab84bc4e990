#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "fake_console.h"
#include "generators/subtotal_generator.h"
#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"

namespace sumwright {
namespace {

using Lines = std::vector<std::string>;

// The answers as text, in the order they are asked.
Lines answers_of(const SubtotalAnswers& answers) {
    return {answers.start_sort_column, std::to_string(answers.group_column_count), answers.data_column,
            std::to_string(answers.first_row), answers.free_column};
}
Lines answers_of(const SumifAnswers& answers) {
    return {answers.group_column, answers.data_column, std::to_string(answers.first_row), answers.free_column};
}

struct QuestionCase {
    const char* name;
    std::function<Lines(Console&)> ask;
    std::deque<std::string> typed;
    Lines answers;
    Lines screen;  // as a person at a terminal sees it
};

// Piped input shows no prompt and no answer: a prompt line is left empty.
Lines without_prompts(const Lines& screen) {
    Lines piped;
    for (const std::string& line : screen) {
        piped.push_back(line.find("= ? ") == std::string::npos ? line : "");
    }
    return piped;
}

const std::string pairing_note =
    "The grouping column and summation column must only have data that pairs from the combinationa that we expect.";

const QuestionCase question_cases[] = {
    {"subtotal",
     [](Console& console) { return answers_of(ask_subtotal_questions(console)); },
     {"A", "2", "D", "2", "F"},
     {"A", "2", "D", "2", "F"},
     {
         "Before using formulas, table must be sort on group of columns.",
         "",
         "Column name         for start sort  = ? A",
         "Numeber columns in group  for sort  = ? 2",
         "Columns must be arranged in a compact group.",
         "",
         "Column name with data (subtotal)    = ? D",
         "Row number (start) with data must be row() > 1",
         "Row number (start) with data cell   = ? 2",
         "",
         "Column name with start of free area = ? F",
         "",
     }},
    {"sumif_01",
     [](Console& console) { return answers_of(ask_sumif_01_questions(console)); },
     {"b ", "D,E", "-3", "  f"},
     {"b ", "D", "-3", "f"},
     {
         "Column name for creating groups = ? b ",
         "",
         "Column name with data (sum) = ? D,E",
         "",
         "Row number (start) with data must be row() > 1",
         "Row number (start) with data cell = ? -3",
         "",
         "Column name (start) with free area = ?   f",
     }},
    {"sumif_02",
     [](Console& console) { return answers_of(ask_sumif_02_questions(console)); },
     {"B", "D", "2", "F"},
     {"B", "D", "2", "F"},
     {
         "Column name for creating groups = ? B",
         "",
         "Column name with data (sum) = ? D",
         "",
         pairing_note,
         "",
         "Row number (start) with data must be row() > 1",
         "Row number (start) with data cell   = ? 2",
         "",
         "Column name (start) with free area = ? F",
     }},
};

class GeneratorQuestions : public testing::TestWithParam<QuestionCase> {};

TEST_P(GeneratorQuestions, AtATerminalShowPromptsAndAnswers) {
    FakeConsole console({}, GetParam().typed);
    EXPECT_EQ(GetParam().ask(console), GetParam().answers);
    EXPECT_EQ(console.lines(), GetParam().screen);
}

TEST_P(GeneratorQuestions, FromAPipeLeaveOneLineEndPerPrompt) {
    FakeConsole console({}, GetParam().typed, false);
    EXPECT_EQ(GetParam().ask(console), GetParam().answers);
    EXPECT_EQ(console.lines(), without_prompts(GetParam().screen));
}

TEST_P(GeneratorQuestions, EndOfInputBeforeTheLastAnswerStops) {
    std::deque<std::string> typed = GetParam().typed;
    typed.pop_back();
    FakeConsole console({}, typed, false);
    EXPECT_THROW(GetParam().ask(console), InputEnded);
}

INSTANTIATE_TEST_SUITE_P(Generators, GeneratorQuestions, testing::ValuesIn(question_cases),
                         [](const testing::TestParamInfo<QuestionCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sumwright
