#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include "process/interruption.h"
#include "process/interruption_state.h"

namespace sumwright::interruption {
namespace {

void set_handler(int signal_number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
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

// Continued after a stop, whatever stopped it (Ctrl-Z, or SIGSTOP from
// elsewhere): the program takes its own terminal settings back.
void resume(int /*signal_number*/) {
    const int saved_errno = errno;
    state::resume_terminal();
    errno = saved_errno;
}

// Ctrl-Z: the shell gets its terminal back while the program is stopped.
void suspend(int /*signal_number*/) {
    const int saved_errno = errno;
    state::restore_terminal();
    set_handler(SIGTSTP, SIG_DFL);
    sigset_t stop_signal;
    sigemptyset(&stop_signal);
    sigaddset(&stop_signal, SIGTSTP);
    ::raise(SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop_signal, nullptr);  // stops here until continued
    set_handler(SIGTSTP, suspend);
    errno = saved_errno;
}

// A signal that was ignored when the program started stays ignored, as the
// one who started it wanted: `nohup` ignores hang-ups, a shell script's
// background job Ctrl-C and Ctrl-\.
void catch_unless_ignored(int signal_number, void (*handler)(int)) {
    struct sigaction started_with {};
    if (sigaction(signal_number, nullptr, &started_with) == 0 && started_with.sa_handler == SIG_IGN) {
        return;
    }
    set_handler(signal_number, handler);
}

}  // namespace

void install_handlers() {
    // Every signal whose default ends the process and that a user or a
    // supervisor sends to end it (CPU time limit included).
    for (const int signal_number :
         {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU}) {
        catch_unless_ignored(signal_number, clean_up_and_die);
    }
    catch_unless_ignored(SIGTSTP, suspend);
    catch_unless_ignored(SIGCONT, resume);
    set_handler(SIGPIPE, SIG_IGN);
    // A write past the file size limit fails (EFBIG) like any other write.
    set_handler(SIGXFSZ, SIG_IGN);
}

}  // namespace sumwright::interruption
