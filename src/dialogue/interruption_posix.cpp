#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "dialogue/interruption.h"

namespace sumwright::interruption {
namespace {

std::atomic<void (*)()> terminal_restorer{nullptr};
std::atomic<void (*)()> terminal_resumer{nullptr};
std::array<char, 4096> file_to_remove{};
std::atomic<bool> file_to_remove_set{false};

void clean_up_and_die(int signal_number) {
    if (auto* restore = terminal_restorer.load()) {
        restore();
    }
    if (file_to_remove_set.load()) {
        ::unlink(file_to_remove.data());
    }
    // Die of the same signal, so the parent sees what happened.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
    ::raise(signal_number);
}

void set_handler(int signal_number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

// Ctrl-Z: the shell gets its terminal back while the program is stopped,
// and the program its own settings when it is continued.
void suspend(int /*signal_number*/) {
    const int saved_errno = errno;
    if (auto* restore = terminal_restorer.load()) {
        restore();
    }
    set_handler(SIGTSTP, SIG_DFL);
    sigset_t stop_signal;
    sigemptyset(&stop_signal);
    sigaddset(&stop_signal, SIGTSTP);
    ::raise(SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop_signal, nullptr);  // stops here until continued
    set_handler(SIGTSTP, suspend);
    if (auto* resume = terminal_resumer.load()) {
        resume();
    }
    errno = saved_errno;
}

}  // namespace

void install_handlers() {
    struct sigaction action {};
    action.sa_handler = clean_up_and_die;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaction(signal_number, &action, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
    set_handler(SIGTSTP, suspend);
}

void set_terminal_restorer(void (*restore)()) { terminal_restorer.store(restore); }

void set_terminal_resumer(void (*resume)()) { terminal_resumer.store(resume); }

void set_file_to_remove(const char* path) {
    file_to_remove_set.store(false);
    if (path == nullptr || std::strlen(path) >= file_to_remove.size()) {
        return;
    }
    std::strncpy(file_to_remove.data(), path, file_to_remove.size() - 1);
    file_to_remove_set.store(true);
}

}  // namespace sumwright::interruption
