// Preloaded into the program by the end-to-end tests (LD_PRELOAD). Each
// fsync notes what it reaches, "folder" or "file", as a line of the file
// that SUMWRIGHT_FSYNC_LOG names; with SUMWRIGHT_FSYNC_FAIL set, a sync of
// anything but a folder fails as a disk that did not take the data does.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

extern "C" int fsync(int fd) {
    struct stat status {};
    const bool folder = ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
    if (const char* log = std::getenv("SUMWRIGHT_FSYNC_LOG")) {
        const int out = ::open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (out >= 0) {
            const std::string_view line = folder ? "folder\n" : "file\n";
            static_cast<void>(::write(out, line.data(), line.size()));
            ::close(out);
        }
    }
    if (!folder && std::getenv("SUMWRIGHT_FSYNC_FAIL") != nullptr) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
