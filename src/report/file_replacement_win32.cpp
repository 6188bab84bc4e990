#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "report/file_replacement.h"

namespace sumwright::file_replacement {
namespace {

std::string system_text(DWORD error) {
    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? std::string(buffer, length) : "error " + std::to_string(error);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

std::string last_error_text() { return system_text(GetLastError()); }

// What a user sets on a report and expects to find on its replacement.
constexpr DWORD kept_attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

bool may_replace(const std::string& target, std::string& reason) {
    // A read-only file refuses to be opened for writing, and to be replaced.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        return true;
    }
    reason = system_text(ERROR_ACCESS_DENIED);
    return false;
}

std::optional<NewFile> create_beside(const std::string& target, std::string& reason) {
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::string path = target + "." + std::to_string(_getpid()) + "-" + std::to_string(attempt) + ".tmp";
        // Shared for deletion: a console control handler runs on a thread of
        // its own while this handle is still open, and Windows deletes an
        // open file only when every handle on it allows that.
        const HANDLE handle =
            CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) {
                continue;
            }
            reason = last_error_text();
            return std::nullopt;
        }
        // Binary mode: the report's CR LF line ends are written as they are.
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            reason = reason_of(errno);
            CloseHandle(handle);
            DeleteFileA(path.c_str());
            return std::nullopt;
        }
        std::FILE* stream = _fdopen(fd, "wb");
        if (stream == nullptr) {
            reason = reason_of(errno);
            _close(fd);
            DeleteFileA(path.c_str());
            return std::nullopt;
        }
        return NewFile{stream, std::move(path)};
    }
    reason = reason_of(EEXIST);
    return std::nullopt;
}

int write_to_disk(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return FlushFileBuffers(handle) != 0 ? 0 : EIO;
}

bool replace(const std::string& from, const std::string& target, std::string& reason) {
    // The new report takes the attributes that the user set on the one it
    // replaces. A read-only one is never replaced: the move refuses it.
    const DWORD replaced = GetFileAttributesA(target.c_str());
    const DWORD kept = replaced != INVALID_FILE_ATTRIBUTES &&
                               (replaced & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0
                           ? replaced & kept_attributes
                           : 0;
    if (kept != 0) {
        SetFileAttributesA(from.c_str(), kept | FILE_ATTRIBUTE_ARCHIVE);
    }
    if (MoveFileExA(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        reason = last_error_text();
        return false;
    }
    return true;
}

void remove(const std::string& path) { DeleteFileA(path.c_str()); }

std::string reason_of(int error_number) { return std::strerror(error_number); }

}  // namespace sumwright::file_replacement
