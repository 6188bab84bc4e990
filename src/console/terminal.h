#pragma once

#include <chrono>
#include <cstddef>

#include "console/console.h"

namespace sumwright::terminal {

// Standard input is a person's terminal or console window.
bool standard_input_is_interactive();

// Blocking read from standard input; 0 at its end (or on an error).
std::size_t read_standard_input(char* buffer, std::size_t size);

// Drops whatever the interactive console holds that has not been read yet:
// keys pressed during a key wait that the wait did not take.
void discard_pending_input();

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
