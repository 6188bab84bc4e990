#pragma once

namespace sumwright::interruption {

// While alive, the process cleans up before it dies of an interruption
// (Ctrl-C, a termination request or any other signal sent to end it, the
// console closing): the terminal gets its settings back and an unfinished
// report file is removed. A signal that was ignored when the process started
// stays ignored. A write to a closed pipe or past the file size limit
// becomes an ordinary write error instead of ending the process. On POSIX a
// stop (Ctrl-Z) gives the terminal back while the process is stopped, and a
// change of the terminal's size is noted (resized()). Every handler is
// installed here, and the ones they replaced are put back when this ends.
// One per process.
class Handlers final {
public:
    Handlers();
    ~Handlers();
    Handlers(const Handlers&) = delete;
    Handlers& operator=(const Handlers&) = delete;
    Handlers(Handlers&&) = delete;
    Handlers& operator=(Handlers&&) = delete;
};

// Whether the terminal changed its size since the last call.
bool resized();

// What to run to give the terminal its settings back; nullptr when there is
// nothing to restore. Called from a signal handler, so it must be
// async-signal-safe.
void set_terminal_restorer(void (*restore)());

// What to run when the process is back from a stop (Ctrl-Z, or a stop
// signal from elsewhere) while the terminal was in the program's own mode,
// continued or never stopped at all; nullptr for nothing. `screen_moved`:
// the program's own Ctrl-Z stopped it, so the shell has written to the
// terminal meanwhile and the cursor is at the start of a row of its own.
// Async-signal-safe, like the restorer.
void set_terminal_resumer(void (*resume)(bool screen_moved));

// What to run, before the terminal gets its settings back, when the process
// ends of a signal: it ends the line that was being typed on, so that the
// shell's prompt starts a line of its own; nullptr for nothing.
// Async-signal-safe, like the restorer.
void set_line_ender(void (*end_line)());

// The path of a file to remove if the process is interrupted; nullptr clears
// it. The path is copied.
void set_file_to_remove(const char* path);

}  // namespace sumwright::interruption
