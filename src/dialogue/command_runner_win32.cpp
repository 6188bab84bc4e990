#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "dialogue/command_runner.h"

namespace sumwright {
namespace {

std::string system_text(DWORD error) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<char*>(&buffer), 0, nullptr);  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
    std::string text = length == 0 ? "error " + std::to_string(error) : std::string(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// Why a command that failed left its check file empty: a full disk, else
// the status the command ended with. Nothing when it succeeded or wrote.
std::string empty_output_cause(int status, const std::string& output) {
    std::error_code error;
    if (status == 0 || (std::filesystem::file_size(output, error) > 0 && !error)) {
        return {};
    }
    ULARGE_INTEGER available{};
    if (GetDiskFreeSpaceExA(nullptr, &available, nullptr, nullptr) != 0 && available.QuadPart == 0) {
        return failed_cause(system_text(ERROR_DISK_FULL));
    }
    return status_cause(status);
}

}  // namespace

// The line redirects its output itself. Whether the check file can be made
// at all is found out first, so that a failed check can say why; an empty
// file left by that costs nothing, as the command replaces it.
std::string SystemCommandRunner::run(const CheckCommand& command) {
    const std::string output(command.output);
    HANDLE file = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "cannot be written in this folder: " + system_text(GetLastError());
    }
    CloseHandle(file);
    // What the command prints must not come before what was printed already.
    std::fflush(nullptr);
    errno = 0;
    const int status = std::system(command.line.c_str());
    if (status == -1 && errno != 0) {
        return not_started_cause(std::strerror(errno));
    }
    return empty_output_cause(status, output);
}

}  // namespace sumwright
