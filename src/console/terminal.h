#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/line_editor.h"
#include "console/line_input.h"

namespace sumwright::terminal {

// Standard input is a person's terminal or console window.
bool standard_input_is_interactive();

// Blocking read from standard input; 0 at its end (or on an error).
std::size_t read_standard_input(char* buffer, std::size_t size);

// Drops whatever the interactive console holds that has not been read yet:
// keys pressed during a key wait that the wait did not take.
void discard_pending_input();

// While alive, answers typed at the interactive console are read through the
// program's own line editor, or on a terminal that takes no cursor
// sequences (TERM unset, empty or "dumb") with the terminal's own line
// editing, where Enter, a line feed or both together end a line. The
// terminal's settings are given back when this ends, and also if the process
// is interrupted meanwhile. It begins before the prompt is shown, so that no
// key typed at the prompt is echoed by the terminal itself.
class LineEditingMode final {
public:
    LineEditingMode();
    ~LineEditingMode();
    LineEditingMode(const LineEditingMode&) = delete;
    LineEditingMode& operator=(const LineEditingMode&) = delete;
    LineEditingMode(LineEditingMode&&) = delete;
    LineEditingMode& operator=(LineEditingMode&&) = delete;

    // One answer; nothing at the end of input (Ctrl-D on an empty line).
    // `row` is the text on the cursor's row (the prompt), drawn again when
    // the program is continued after a suspension; `history` holds the
    // answers typed earlier, which Up and Down recall. Where the console
    // edits lines itself or the terminal's settings cannot be read, the
    // answer is the next of `lines`.
    [[nodiscard]] std::optional<std::string> read(std::string_view row, AnswerHistory& history, LineInput& lines) const;

private:
    // Where the answer's row is shown.
    int screen_ = -1;
};

// While alive, the interactive console delivers single keys without echo and
// without Enter; signal keys (Ctrl-C) keep working and type-ahead is kept. The
// terminal's settings are given back when it ends, and also if the process is
// interrupted meanwhile.
class SingleKeyMode final : public KeySession {
public:
    SingleKeyMode();
    ~SingleKeyMode() override;
    SingleKeyMode(const SingleKeyMode&) = delete;
    SingleKeyMode& operator=(const SingleKeyMode&) = delete;
    SingleKeyMode(SingleKeyMode&&) = delete;
    SingleKeyMode& operator=(SingleKeyMode&&) = delete;

    KeyPoll poll(std::chrono::milliseconds timeout) override;
};

}  // namespace sumwright::terminal
