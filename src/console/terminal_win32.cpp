#include <conio.h>
#include <windows.h>

#include <string>

#include "console/terminal.h"

namespace sumwright::terminal {
namespace {

constexpr DWORD poll_sleep_ms = 20;
constexpr char extended_prefix = '\xFF';
constexpr int extended_lead = 0xE0;

}  // namespace

bool standard_input_is_interactive() {
    // _isatty is also true for NUL; only a real console has a console mode.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::size_t read_standard_input(char* buffer, std::size_t size) {
    // A few kilobytes per read, a size that consoles, pipes and files all serve.
    constexpr std::size_t read_limit = 4096;
    DWORD count = 0;
    const auto wanted = static_cast<DWORD>(size < read_limit ? size : read_limit);
    if (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, wanted, &count, nullptr) == 0) {
        return 0;  // also a closed pipe (ERROR_BROKEN_PIPE): the input has ended
    }
    return count;
}

void discard_pending_input() { FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE)); }

SingleKeyMode::SingleKeyMode() = default;

SingleKeyMode::~SingleKeyMode() = default;

KeyPoll SingleKeyMode::poll(std::chrono::milliseconds timeout) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        if (_kbhit() != 0) {
            const int first = _getch();
            // An extended key arrives as 0 or 0xE0 with its scan code
            // already pending; 0xE0 alone is an ordinary character of the
            // code page.
            if ((first == 0 || first == extended_lead) && _kbhit() != 0) {
                const int scan_code = _getch();
                return {KeyPoll::Kind::key, std::string{extended_prefix, static_cast<char>(scan_code)}};
            }
            return {KeyPoll::Kind::key, std::string(1, static_cast<char>(first))};
        }
        if (GetTickCount64() >= deadline) {
            return {};
        }
        Sleep(poll_sleep_ms);
    }
}

}  // namespace sumwright::terminal
