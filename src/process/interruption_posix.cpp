#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <tuple>
#include <utility>

#include "process/interruption.h"
#include "process/interruption_state.h"

namespace sumwright::interruption {
namespace {

using Handler = void (*)(int);

// A handler that returns restarts the system call it cut short, so that no
// read, write or wait fails for a resize or a stop; a wait for input
// (ppoll) is cut short all the same.
void set_handler(int signal_number, Handler handler) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

void clean_up_and_die(int signal_number) {
    state::end_terminal_line();
    state::restore_terminal();
    if (const char* path = state::file_to_remove()) {
        ::unlink(path);
    }
    // Die of the same signal, so the parent sees what happened.
    set_handler(signal_number, SIG_DFL);
    ::raise(signal_number);
}

// Set when a SIGCONT comes: inside the program's own stop, it tells a stop
// that happened from one that the system dropped.
volatile std::sig_atomic_t continue_seen = 0;

// Continued after a stop, whatever stopped it (Ctrl-Z, or SIGSTOP from
// elsewhere): the program takes its own terminal settings back. Nothing
// tells whether anything was written to the terminal meanwhile.
void resume(int /*signal_number*/) {
    const int saved_errno = errno;
    continue_seen = 1;
    state::resume_terminal(false);
    errno = saved_errno;
}

// Ctrl-Z: the shell gets its terminal back while the program is stopped.
void suspend(int /*signal_number*/) {
    const int saved_errno = errno;
    state::restore_terminal();
    set_handler(SIGTSTP, SIG_DFL);
    // The SIGCONT that ends the stop is taken in here, where it shows that
    // the stop happened.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTSTP);
    sigaddset(&stop_signals, SIGCONT);
    continue_seen = 0;
    ::raise(SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop_signals, nullptr);  // stops here until continued
    set_handler(SIGTSTP, suspend);
    // Back, continued or never stopped: where no job-control shell runs the
    // program (its process group is orphaned) the system drops the stop,
    // and no SIGCONT follows. After a stop the shell has had the terminal,
    // and its `fg` leaves the cursor on a row of its own.
    state::resume_terminal(continue_seen != 0);
    errno = saved_errno;
}

void note_resize(int /*signal_number*/) { state::note_resize(); }

// Every signal the program handles, with its handler: those whose default
// ends the process and that a user or a supervisor sends to end it (CPU
// time limit included), a stop and the continue after it, a resize, and
// the two that turn a failed write into an error (EPIPE, EFBIG).
const std::array<std::pair<int, Handler>, 15> handled{{
    {SIGINT, clean_up_and_die},
    {SIGTERM, clean_up_and_die},
    {SIGHUP, clean_up_and_die},
    {SIGQUIT, clean_up_and_die},
    {SIGUSR1, clean_up_and_die},
    {SIGUSR2, clean_up_and_die},
    {SIGALRM, clean_up_and_die},
    {SIGVTALRM, clean_up_and_die},
    {SIGPROF, clean_up_and_die},
    {SIGXCPU, clean_up_and_die},
    {SIGTSTP, suspend},
    {SIGCONT, resume},
    {SIGWINCH, note_resize},
    {SIGPIPE, SIG_IGN},
    {SIGXFSZ, SIG_IGN},
}};

// What each of them did before.
std::array<struct sigaction, std::tuple_size_v<decltype(handled)>> earlier{};

}  // namespace

Handlers::Handlers() {
    for (std::size_t i = 0; i < handled.size(); ++i) {
        const auto [signal_number, handler] = handled.at(i);
        sigaction(signal_number, nullptr, &earlier.at(i));
        // A signal that was ignored when the program started stays ignored,
        // as the one who started it wanted: `nohup` ignores hang-ups, a shell
        // script's background job Ctrl-C and Ctrl-\.
        if (earlier.at(i).sa_handler != SIG_IGN) {
            set_handler(signal_number, handler);
        }
    }
}

Handlers::~Handlers() {
    for (std::size_t i = 0; i < handled.size(); ++i) {
        sigaction(handled.at(i).first, &earlier.at(i), nullptr);
    }
}

}  // namespace sumwright::interruption
