#include <windows.h>

#include <optional>
#include <string>

#include "console/key_codes.h"
#include "console/terminal.h"

namespace sumwright::terminal {
namespace {

// How long a console read that came back empty waits for the control handler
// to confirm that Ctrl-C, Ctrl-Break or the closing console cut it short.
constexpr DWORD interruption_grace_ms = 2000;

HANDLE input_handle() { return GetStdHandle(STD_INPUT_HANDLE); }

BOOL WINAPI note_control_event(DWORD /*control_type*/);

// Set once the console has sent a control event; the interruption handler
// (interruption_win32.cpp) is then ending the process.
HANDLE control_event_seen() {
    static HANDLE event = [] {
        HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        // Registered after the interruption handler, so called before it.
        SetConsoleCtrlHandler(note_control_event, TRUE);
        return created;
    }();
    return event;
}

BOOL WINAPI note_control_event(DWORD /*control_type*/) {
    SetEvent(control_event_seen());
    return FALSE;  // the next handler ends the process
}

// A console read that failed or came back empty may have been cut short by a
// control event. The process is then ending on the handler's thread, and this
// thread must not take the read for the end of the input: it waits for the
// end. Returns when no control event came.
void wait_out_interruption() {
    if (WaitForSingleObject(control_event_seen(), interruption_grace_ms) == WAIT_OBJECT_0) {
        Sleep(INFINITE);
    }
}

bool is_modifier(WORD virtual_key) {
    switch (virtual_key) {
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
        case VK_CAPITAL:
        case VK_NUMLOCK:
        case VK_SCROLL:
        case VK_LSHIFT:
        case VK_RSHIFT:
        case VK_LCONTROL:
        case VK_RCONTROL:
        case VK_LMENU:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN:
            return true;
        default:
            return false;
    }
}

std::string extended_key(unsigned scan_code) {
    return std::string{key_codes::extended_prefix, static_cast<char>(scan_code & 0xFFU)};
}

// Alt with a digit or a letter, as the console's own key reading gives it:
// an extended key, Alt+1 to Alt+0 with scan codes of their own. AltGr, which
// is Ctrl and Alt together, types characters.
std::optional<std::string> alt_key(const KEY_EVENT_RECORD& key) {
    const bool alt = (key.dwControlKeyState & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
    const bool ctrl = (key.dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    const WORD virtual_key = key.wVirtualKeyCode;
    if (!alt || ctrl) {
        return std::nullopt;
    }
    if (virtual_key >= '1' && virtual_key <= '9') {
        return extended_key(static_cast<unsigned>(key_codes::ScanCode::alt_1) + (virtual_key - '1'));
    }
    if (virtual_key == '0') {
        return extended_key(static_cast<unsigned>(key_codes::ScanCode::alt_0));
    }
    if (virtual_key >= 'A' && virtual_key <= 'Z') {
        return extended_key(key.wVirtualScanCode);
    }
    return std::nullopt;
}

// The key result of one console input event: a key press with a character
// gives that character (in the console's input code page), one without (and
// Alt with a digit or letter) gives byte 255 and its scan code. Key
// releases, modifier keys alone and events other than keys give nothing.
std::optional<std::string> key_result(const INPUT_RECORD& record) {
    if (record.EventType != KEY_EVENT || record.Event.KeyEvent.bKeyDown == 0) {
        return std::nullopt;
    }
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    if (std::optional<std::string> alt = alt_key(key)) {
        return alt;
    }
    if (key.uChar.AsciiChar != 0) {
        return std::string(1, key.uChar.AsciiChar);
    }
    if (is_modifier(key.wVirtualKeyCode)) {
        return std::nullopt;
    }
    return extended_key(key.wVirtualScanCode);
}

std::size_t read_console_line(HANDLE input, char* buffer, DWORD wanted) {
    control_event_seen();
    DWORD count = 0;
    if (ReadConsoleA(input, buffer, wanted, &count, nullptr) == 0 || count == 0) {
        wait_out_interruption();
        return 0;
    }
    // Ctrl-Z at the start of a line ends the input.
    return buffer[0] == key_codes::ctrl_z ? std::size_t{0} : std::size_t{count};
}

}  // namespace

bool standard_input_is_interactive() {
    // _isatty is also true for NUL; only a real console has a console mode.
    DWORD mode = 0;
    return GetConsoleMode(input_handle(), &mode) != 0;
}

std::size_t read_standard_input(char* buffer, std::size_t size) {
    // A few kilobytes per read, a size that consoles, pipes and files all serve.
    constexpr std::size_t read_limit = 4096;
    const auto wanted = static_cast<DWORD>(size < read_limit ? size : read_limit);
    HANDLE input = input_handle();
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode) != 0) {
        // The console's own line editing; the rest of a long line waits in
        // the console for the next read.
        return read_console_line(input, buffer, wanted);
    }
    DWORD count = 0;
    if (ReadFile(input, buffer, wanted, &count, nullptr) == 0) {
        return 0;  // also a closed pipe (ERROR_BROKEN_PIPE): the input has ended
    }
    return count;
}

// The console edits lines itself (read_standard_input): never active.
LineEditingMode::LineEditingMode() = default;

LineEditingMode::~LineEditingMode() = default;

std::optional<std::string> LineEditingMode::read(std::string_view /*row*/, AnswerHistory& /*history*/,
                                                 LineInput& lines) const {
    return lines.next_line();
}

void discard_pending_input() { FlushConsoleInputBuffer(input_handle()); }

// Key events are read as they are, so the console's modes need no change.
SingleKeyMode::SingleKeyMode() { control_event_seen(); }

SingleKeyMode::~SingleKeyMode() = default;

KeyPoll SingleKeyMode::poll(std::chrono::milliseconds timeout) {
    HANDLE input = input_handle();
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD waited = WaitForSingleObject(input, now >= deadline ? 0 : static_cast<DWORD>(deadline - now));
        if (waited == WAIT_TIMEOUT) {
            return {};
        }
        INPUT_RECORD record{};
        DWORD count = 0;
        if (waited != WAIT_OBJECT_0 || ReadConsoleInputA(input, &record, 1, &count) == 0) {
            wait_out_interruption();
            return {KeyPoll::Kind::input_ended, {}};
        }
        if (count == 1) {
            if (std::optional<std::string> key = key_result(record)) {
                return {KeyPoll::Kind::key, std::move(*key)};
            }
        }
    }
}

}  // namespace sumwright::terminal
