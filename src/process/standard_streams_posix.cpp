#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "process/standard_streams.h"

namespace sumwright::standard_streams {
namespace {

constexpr std::array<const char*, 3> names{"input", "output", "error"};

bool is_open(int fd) { return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

// Says why the program ends on standard error, or on standard output when
// only that one is open; with neither, nothing is said.
void say_missing(int fd, int error_number) {
    const std::string text = std::string("sumwright: standard ") + names.at(static_cast<std::size_t>(fd)) +
                             " is closed and cannot be put on /dev/null: " + std::strerror(error_number) + "\n";
    for (const int stream : {STDERR_FILENO, STDOUT_FILENO}) {
        if (stream != fd && is_open(stream)) {
            static_cast<void>(::write(stream, text.data(), text.size()));
            return;
        }
    }
}

// Puts a stream the process was started without onto the null device; the
// lowest free number is this one, as the lower ones are open by then.
bool stand_in(int fd) {
    if (is_open(fd)) {
        return true;
    }
    const int null_device = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null_device < 0) {
        say_missing(fd, errno);
        return false;
    }
    if (null_device != fd) {
        ::dup2(null_device, fd);
        ::close(null_device);
    }
    return true;
}

}  // namespace

bool ensure_open() {
    constexpr std::array streams{STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
    return std::ranges::all_of(streams, stand_in);
}

}  // namespace sumwright::standard_streams
