#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
    static_cast<void>(std::system(std::string(command.line).c_str()));
    return {};
}

}  // namespace sumwright
