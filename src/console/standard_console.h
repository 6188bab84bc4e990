#pragma once

#include <memory>
#include <optional>
#include <string>

#include "console/console.h"
#include "console/line_editor.h"
#include "console/line_input.h"
#include "console/terminal.h"

namespace sumwright {

// The process's own console: standard output and error for lines, standard
// input for keys and typed lines. When standard input is not interactive, a
// key wait takes the characters of one line as the keys pressed (an empty
// line is Enter) and drops the rest of that line once it is over.
class StandardConsole final : public Console {
public:
    StandardConsole();

    void write_text(std::string_view text) override;
    void write_line(std::string_view text) override;
    [[nodiscard]] bool is_interactive() const override { return interactive_; }
    std::unique_ptr<KeySession> begin_key_session() override;
    void begin_answer() override;
    std::optional<std::string> read_line() override;
    void flush() override;
    void write_error_line(std::string_view text) override;

private:
    bool interactive_;
    // The last thing read from the console was a key wait's key.
    bool after_key_wait_ = false;
    LineInput input_;
    // The text on the cursor's row: what a prompt shows before its answer.
    std::string row_;
    // Held from the prompt's start to the end of its answer.
    std::unique_ptr<terminal::LineEditingMode> editing_;
    // The answers typed so far, for Up and Down at the next prompts.
    AnswerHistory history_;
};

}  // namespace sumwright
