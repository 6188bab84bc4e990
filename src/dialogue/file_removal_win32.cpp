#include <windows.h>

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

}  // namespace sumwright
