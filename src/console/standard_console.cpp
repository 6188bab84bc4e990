#include "console/standard_console.h"

#include <cstdio>
#include <utility>

#include "console/terminal.h"

namespace sumwright {
namespace {

// Keys from lines of input that is not interactive.
class LineKeySession final : public KeySession {
public:
    explicit LineKeySession(LineInput& input) : input_(input) {}

    KeyPoll poll(std::chrono::milliseconds /*timeout*/) override {
        if (!line_ || next_ >= line_->size()) {
            line_ = input_.next_line();
            next_ = 0;
            if (!line_) {
                return {KeyPoll::Kind::input_ended, {}};
            }
            if (line_->empty()) {
                line_->push_back('\r');  // an empty line is one press of Enter
            }
        }
        return {KeyPoll::Kind::key, std::string(1, (*line_)[next_++])};
    }

private:
    LineInput& input_;
    std::optional<std::string> line_;
    std::size_t next_ = 0;
};

void write_out(std::string_view text, std::FILE* stream) {
    // A closed or broken output is not a reason to stop the dialogue.
    if (!text.empty()) {
        std::fwrite(text.data(), 1, text.size(), stream);
    }
}

}  // namespace

StandardConsole::StandardConsole()
    : interactive_(terminal::standard_input_is_interactive()),
      input_([](char* buffer, std::size_t size) { return terminal::read_standard_input(buffer, size); }) {}

void StandardConsole::write_text(std::string_view text) {
    write_out(text, stdout);
    const std::size_t line_end = text.rfind('\n');
    row_ = line_end == std::string_view::npos ? row_ + std::string(text) : std::string(text.substr(line_end + 1));
}

void StandardConsole::write_line(std::string_view text) {
    write_out(text, stdout);
    write_out("\n", stdout);
    row_.clear();
}

std::unique_ptr<KeySession> StandardConsole::begin_key_session() {
    if (interactive_) {
        after_key_wait_ = true;
        return std::make_unique<terminal::SingleKeyMode>();
    }
    return std::make_unique<LineKeySession>(input_);
}

void StandardConsole::begin_answer() {
    // The terminal stops echoing before the prompt appears: the line editor
    // draws what is typed at it.
    editing_.reset();
    if (interactive_) {
        editing_ = std::make_unique<terminal::LineEditingMode>();
    }
    // Keys pressed during a key wait and not taken by it are not part of the
    // answer: the answer is what is typed once the prompt is shown. They go
    // before the prompt appears, so that nothing typed after it is lost.
    if (after_key_wait_) {
        terminal::discard_pending_input();
        after_key_wait_ = false;
    }
}

std::optional<std::string> StandardConsole::read_line() {
    const std::unique_ptr<terminal::LineEditingMode> editing = std::move(editing_);
    const std::string row = std::exchange(row_, {});
    if (editing) {
        return editing->read(row, history_, input_);
    }
    return input_.next_line();
}

void StandardConsole::flush() { std::fflush(stdout); }

void StandardConsole::write_error_line(std::string_view text) {
    std::fflush(stdout);
    write_out(text, stderr);
    write_out("\n", stderr);
    std::fflush(stderr);
}

}  // namespace sumwright
