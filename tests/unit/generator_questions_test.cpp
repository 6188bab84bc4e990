#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "generators/subtotal_generator.h"
#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"
#include "memory_line_sink.h"

namespace sumwright {
namespace {

using Lines = std::vector<std::string>;

// A console fed with typed lines. On an interactive console the typed line
// is echoed, Enter included, as a terminal does.
class TypedConsole final : public Console {
public:
    TypedConsole(bool interactive, std::deque<std::string> typed)
        : interactive_(interactive), typed_(std::move(typed)) {}

    void write_text(std::string_view text) override { screen_.write_text(text); }
    void write_line(std::string_view text) override { screen_.write_line(text); }
    [[nodiscard]] bool is_interactive() const override { return interactive_; }
    std::unique_ptr<KeySession> begin_key_session() override { return nullptr; }
    std::optional<std::string> read_line() override {
        if (typed_.empty()) {
            return std::nullopt;
        }
        std::string line = std::move(typed_.front());
        typed_.pop_front();
        if (interactive_) {
            screen_.write_line(line);
        }
        return line;
    }
    void flush() override {}
    void write_error_line(std::string_view /*text*/) override {}

    [[nodiscard]] const Lines& lines() const { return screen_.lines(); }

private:
    bool interactive_;
    std::deque<std::string> typed_;
    MemoryLineSink screen_;
};

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
    TypedConsole console(true, GetParam().typed);
    EXPECT_EQ(GetParam().ask(console), GetParam().answers);
    EXPECT_EQ(console.lines(), GetParam().screen);
}

TEST_P(GeneratorQuestions, FromAPipeLeaveOneLineEndPerPrompt) {
    TypedConsole console(false, GetParam().typed);
    EXPECT_EQ(GetParam().ask(console), GetParam().answers);
    EXPECT_EQ(console.lines(), without_prompts(GetParam().screen));
}

TEST_P(GeneratorQuestions, EndOfInputBeforeTheLastAnswerStops) {
    std::deque<std::string> typed = GetParam().typed;
    typed.pop_back();
    TypedConsole console(false, typed);
    EXPECT_THROW(GetParam().ask(console), InputEnded);
}

INSTANTIATE_TEST_SUITE_P(Generators, GeneratorQuestions, testing::ValuesIn(question_cases),
                         [](const testing::TestParamInfo<QuestionCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sumwright
