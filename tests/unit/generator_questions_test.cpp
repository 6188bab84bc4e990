#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "generators/subtotal_generator.h"
#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"

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

struct QuestionCase {
    const char* name;
    std::function<void(Console&)> ask;
    std::deque<std::string> typed;
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
     [](Console& console) {
         const SubtotalAnswers answers = ask_subtotal_questions(console);
         EXPECT_EQ(answers.start_sort_column, "A");
         EXPECT_EQ(answers.group_column_count, 2);
         EXPECT_EQ(answers.data_column, "D");
         EXPECT_EQ(answers.first_row, 2);
         EXPECT_EQ(answers.free_column, "F");
     },
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
     [](Console& console) {
         const SumifAnswers answers = ask_sumif_01_questions(console);
         EXPECT_EQ(answers.group_column, "b ");
         EXPECT_EQ(answers.data_column, "D");
         EXPECT_EQ(answers.first_row, -3);
         EXPECT_EQ(answers.free_column, "f");
     },
     {"b ", "D,E", "-3", "  f"},
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
     [](Console& console) {
         const SumifAnswers answers = ask_sumif_02_questions(console);
         EXPECT_EQ(answers.group_column, "B");
         EXPECT_EQ(answers.data_column, "D");
         EXPECT_EQ(answers.first_row, 2);
         EXPECT_EQ(answers.free_column, "F");
     },
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
    GetParam().ask(console);
    EXPECT_EQ(console.lines(), GetParam().screen);
}

TEST_P(GeneratorQuestions, FromAPipeLeaveOneLineEndPerPrompt) {
    TypedConsole console(false, GetParam().typed);
    GetParam().ask(console);
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
