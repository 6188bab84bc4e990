#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "text/line_sink.h"

namespace sumwright {

// Standard input has nothing more to give while the dialogue still needs an
// answer or a key.
class InputEnded : public std::runtime_error {
public:
    InputEnded() : std::runtime_error("standard input ended") {}
};

// One poll of the keyboard.
struct KeyPoll {
    enum class Kind { nothing_pending, key, input_ended };
    Kind kind = Kind::nothing_pending;
    // One character for an ordinary key, or byte 255 followed by the scan
    // code for an extended key (arrows, function keys).
    std::string key;
};

// Keys are read one at a time while a session is alive. On a terminal the
// session holds the terminal in single-key mode (no echo, no Enter needed)
// and gives it back as it was when it ends. From a pipe the keys are the
// characters of a line; ending the session drops what is left of that line.
class KeySession {
public:
    KeySession() = default;
    KeySession(const KeySession&) = delete;
    KeySession& operator=(const KeySession&) = delete;
    KeySession(KeySession&&) = delete;
    KeySession& operator=(KeySession&&) = delete;
    virtual ~KeySession() = default;

    // Waits at most `timeout` for a key, sleeping in the system meanwhile.
    virtual KeyPoll poll(std::chrono::milliseconds timeout) = 0;
};

// The console the dialogue talks to: lines out, keys and typed lines in.
class Console : public LineSink {
public:
    // Input comes from a person at a terminal or console window.
    [[nodiscard]] virtual bool is_interactive() const = 0;
    virtual std::unique_ptr<KeySession> begin_key_session() = 0;
    // A prompt is about to be shown: its answer is what is typed from now on.
    virtual void begin_answer() {}
    // One typed line without its line end; nothing at end of input.
    virtual std::optional<std::string> read_line() = 0;
    // Everything written so far is shown before the program reads.
    virtual void flush() = 0;
    // A line on standard error, for what ends a run abnormally.
    virtual void write_error_line(std::string_view text) = 0;
};

}  // namespace sumwright
