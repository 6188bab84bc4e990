#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

#include "process/standard_streams.h"

namespace sumwright::standard_streams {

void ensure_open() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number is this one, as the lower ones are open.
        const int null_device = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null_device >= 0 && null_device != fd) {
            ::dup2(null_device, fd);
            ::close(null_device);
        }
    }
}

}  // namespace sumwright::standard_streams
