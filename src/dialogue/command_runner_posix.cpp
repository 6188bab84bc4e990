#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "dialogue/command_runner.h"

extern char** environ;  // NOLINT(readability-redundant-declaration): POSIX declares it nowhere

namespace sumwright {
namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] int get() const { return fd_; }

private:
    int fd_;
};

// Opens the check file for the command's output, so that no link can lead
// the output out of the folder: a symbolic link is not followed, and a file
// with another name (a hard link) or one that is no plain file is not
// emptied. Non-blocking, so that a FIFO cannot hold the program.
std::string open_output(const std::string& name, int& fd) {
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        return std::string("cannot be written in this folder: ") + std::strerror(errno);
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) {
        return "cannot be used: it is not a file of its own";
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1 || ::ftruncate(fd, 0) != 0) {
        return std::string("cannot be written in this folder: ") + std::strerror(errno);
    }
    return {};
}

// Why a command that failed left its check file empty: the reason the system
// gives when a byte cannot be written there either (a full disk, a used-up
// quota), else how the command ended. Nothing when it succeeded or wrote.
std::string empty_output_cause(int status, int fd) {
    struct stat written {};
    if ((WIFEXITED(status) && WEXITSTATUS(status) == 0) || ::fstat(fd, &written) != 0 || written.st_size > 0) {
        return {};
    }
    if (::pwrite(fd, "\n", 1, 0) != 1 || ::ftruncate(fd, 0) != 0) {
        return failed_cause(std::strerror(errno));
    }
    if (WIFSIGNALED(status)) {
        return failed_cause(strsignal(WTERMSIG(status)));
    }
    return status_cause(WEXITSTATUS(status));
}

}  // namespace

// `sh -c`, as `system` runs it, but this process keeps its own handlers
// while the command runs: `system` would ignore Ctrl-C and Ctrl-\ here, so
// the program would go on (and blame the tool) after the user stopped it.
std::string SystemCommandRunner::run(const CheckCommand& command) {
    int fd = -1;
    std::string problem = open_output(std::string(command.output), fd);
    const Descriptor output(fd);
    if (!problem.empty()) {
        return problem;
    }
    // What the command prints must not come before what was printed already.
    std::fflush(nullptr);
    posix_spawn_file_actions_t actions{};
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.get(), STDOUT_FILENO);
    posix_spawnattr_t attributes{};
    posix_spawnattr_init(&attributes);
    // Signals this process ignores act as usual in the command.
    sigset_t usual_signals;
    sigemptyset(&usual_signals);
    sigaddset(&usual_signals, SIGPIPE);
    sigaddset(&usual_signals, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &usual_signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::string line(command.line);
    char shell[] = "sh";
    char option[] = "-c";
    char* arguments[] = {shell, option, line.data(), nullptr};
    pid_t child = 0;
    std::string cause;
    if (const int error = posix_spawn(&child, "/bin/sh", &actions, &attributes, arguments, environ); error != 0) {
        cause = not_started_cause(std::strerror(error));
    } else {
        int status = 0;
        int waited = 0;
        while ((waited = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
        }
        if (waited == child) {
            cause = empty_output_cause(status, output.get());
        }
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return cause;
}

}  // namespace sumwright
