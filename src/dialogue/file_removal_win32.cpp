#include <windows.h>

#include <string>

#include "dialogue/file_removal.h"

namespace sumwright {
namespace {

constexpr ULONGLONG patience_ms = 2000;
constexpr DWORD retry_interval_ms = 10;

bool is_absent(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Another handle on the file: it cannot be deleted (sharing violation), or it
// was deleted and stays until that handle is closed (the pending delete shows
// as access denied), and meanwhile no new file of its name can be created.
bool is_held_open(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

}  // namespace

bool remove_file(const std::filesystem::path& path) {
    const ULONGLONG deadline = GetTickCount64() + patience_ms;
    for (;;) {
        if (DeleteFileW(path.c_str()) == 0) {
            if (is_absent(GetLastError())) {
                return true;
            }
            if (!is_held_open(GetLastError())) {
                return false;
            }
        } else if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && is_absent(GetLastError())) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(retry_interval_ms);
    }
}

// A reparse point (a symbolic link or a junction) is removed as a name: a
// directory link with RemoveDirectory, which leaves the folder it points to
// alone. A file with more than one name loses this one only.
std::string clear_check_file(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return is_absent(GetLastError()) ? "" : "it cannot be examined";
    }
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        const bool removed = directory ? RemoveDirectoryW(path.c_str()) != 0 : remove_file(path);
        return removed ? "" : "it is a link that cannot be removed";
    }
    if (directory) {
        return "it is a directory";
    }
    HANDLE file =
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "";  // held by another process: the command finds out
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    if (type != FILE_TYPE_DISK) {
        return "it is not a plain file";
    }
    if (known && information.nNumberOfLinks > 1) {
        return remove_file(path) ? "" : "it is a link that cannot be removed";
    }
    return "";
}

}  // namespace sumwright
