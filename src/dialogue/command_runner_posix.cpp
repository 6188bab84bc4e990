#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "dialogue/command_runner.h"

extern char** environ;  // NOLINT(readability-redundant-declaration): POSIX declares it nowhere

namespace sumwright {

// `sh -c`, as `system` runs it, but this process keeps its own handlers
// while the command runs: `system` would ignore Ctrl-C and Ctrl-\ here, so
// the program would go on (and blame the tool) after the user stopped it.
void SystemCommandRunner::run(const std::string& command_line) {
    // What the command prints must not come before what was printed already.
    std::fflush(nullptr);
    posix_spawnattr_t attributes{};
    posix_spawnattr_init(&attributes);
    // Signals this process ignores act as usual in the command.
    sigset_t usual_signals;
    sigemptyset(&usual_signals);
    sigaddset(&usual_signals, SIGPIPE);
    sigaddset(&usual_signals, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &usual_signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::string line = command_line;
    char shell[] = "sh";
    char option[] = "-c";
    char* arguments[] = {shell, option, line.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/bin/sh", nullptr, &attributes, arguments, environ) == 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawnattr_destroy(&attributes);
}

}  // namespace sumwright
