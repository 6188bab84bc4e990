#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "report/file_replacement.h"

namespace sumwright::file_replacement {
namespace {

constexpr mode_t permission_bits = 0777;

}  // namespace

bool may_replace(const std::string& target, std::string& reason) {
    // The system's own answer for this user: owner, group, others, access
    // lists, root. A symbolic link is replaced, never written, and so is no
    // refusal; nor is a file that is not there.
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0 || S_ISLNK(status.st_mode) || ::access(target.c_str(), W_OK) == 0) {
        return true;
    }
    reason = reason_of(errno);
    return false;
}

std::optional<NewFile> create_beside(const std::string& target, std::string& reason) {
    // The permission bits, owner and group of the file it replaces; 0666
    // less the umask, and the user's own, as for any file the user's
    // programs create, when there is none (a symbolic link's own bits mean
    // nothing).
    struct stat replaced {};
    const bool keeps_bits = ::lstat(target.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode);
    const mode_t mode = keeps_bits ? replaced.st_mode & permission_bits : 0666;
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::string path = target + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            reason = reason_of(errno);
            return std::nullopt;
        }
        // The umask only narrows the bits, so the file is never more open
        // than the one it replaces, even where they cannot be set exactly.
        // Root gives the owner and group back; any other user the group, if
        // he belongs to it.
        if (keeps_bits) {
            if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
                ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
            }
            ::fchmod(fd, mode);
        }
        std::FILE* stream = ::fdopen(fd, "wb");
        if (stream == nullptr) {
            reason = reason_of(errno);
            ::close(fd);
            ::unlink(path.c_str());
            return std::nullopt;
        }
        return NewFile{stream, std::move(path)};
    }
    reason = reason_of(EEXIST);
    return std::nullopt;
}

int write_to_disk(std::FILE* stream) {
    while (::fsync(::fileno(stream)) != 0) {
        if (errno == EINVAL) {
            return 0;  // a file that cannot be synced has nothing to lose
        }
        if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

bool replace(const std::string& from, const std::string& target, std::string& reason) {
    if (::rename(from.c_str(), target.c_str()) != 0) {
        reason = reason_of(errno);
        return false;
    }
    // The new directory entry goes to the disk too. The report is already in
    // place; a directory that cannot be synced leaves it to the system.
    const std::string::size_type slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

void remove(const std::string& path) { ::unlink(path.c_str()); }

std::string reason_of(int error_number) { return std::strerror(error_number); }

}  // namespace sumwright::file_replacement
