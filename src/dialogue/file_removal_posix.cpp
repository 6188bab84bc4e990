#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "dialogue/file_removal.h"

namespace sumwright {

bool remove_file(const std::filesystem::path& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

std::string clear_check_file(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? "" : std::string("it cannot be examined: ") + std::strerror(errno);
    }
    if (S_ISLNK(status.st_mode) || (S_ISREG(status.st_mode) && status.st_nlink > 1)) {
        return remove_file(path) ? "" : std::string("it is a link that cannot be removed: ") + std::strerror(errno);
    }
    if (S_ISREG(status.st_mode)) {
        return "";
    }
    if (S_ISDIR(status.st_mode)) {
        return "it is a directory";
    }
    if (S_ISFIFO(status.st_mode)) {
        return "it is a named pipe (FIFO)";
    }
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
        return "it is a device";
    }
    return "it is not a plain file";
}

}  // namespace sumwright
