// Drives a program in a console of its own, as a person at the keyboard
// would, for tests under Wine: no window and no X server are needed.
//
//   console_driver SCRIPT PROGRAM
//
// PROGRAM is started with CREATE_NO_WINDOW, so it gets a new console that
// no window shows; the driver attaches to that console, types key events into
// its input and reads its screen back. SCRIPT holds one command per line:
//
//   type KEYS   key presses: characters as they are, and named keys in
//               braces with optional modifiers, e.g. {Enter} {Up} {F5}
//               {Shift+Home} {Ctrl+C} {Ctrl} ("{{" is a brace)
//   wait TEXT   waits until TEXT appears on the screen after the end of the
//               text the previous wait found ("\n" is a row end, "\\" a
//               backslash)
//   idle MS     lets the program alone for MS milliseconds, between the
//               lines "idle: start" and "idle: end" on standard error (for
//               benchmarks that measure the program meanwhile; not a wait)
//   end         waits until the program has ended
//
// Every wait gives up after a bounded time. At the end the driver prints the
// screen (its rows up to the cursor, trailing blanks dropped, a row filled to
// the console's width joined with the next one) and then a line
// "exit status 0x...". Status 0 means the script ran to its end; 1 means it
// did not: the reason is on standard error and the screen is still printed.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr DWORD wait_limit_ms = 60000;
constexpr DWORD screen_poll_ms = 20;
constexpr SHORT screen_height = 3000;

struct Key {
    WORD virtual_key;
    WORD scan_code;
    char character;
    DWORD enhanced;
};

struct NamedKey {
    std::string_view name;
    Key key;
};

// Scan codes of a US keyboard.
constexpr NamedKey named_keys[] = {
    {"Enter", {VK_RETURN, 0x1C, '\r', 0}},
    {"Tab", {VK_TAB, 0x0F, '\t', 0}},
    {"Esc", {VK_ESCAPE, 0x01, '\x1b', 0}},
    {"Backspace", {VK_BACK, 0x0E, '\b', 0}},
    {"Space", {VK_SPACE, 0x39, ' ', 0}},
    {"Up", {VK_UP, 0x48, 0, ENHANCED_KEY}},
    {"Down", {VK_DOWN, 0x50, 0, ENHANCED_KEY}},
    {"Left", {VK_LEFT, 0x4B, 0, ENHANCED_KEY}},
    {"Right", {VK_RIGHT, 0x4D, 0, ENHANCED_KEY}},
    {"Home", {VK_HOME, 0x47, 0, ENHANCED_KEY}},
    {"End", {VK_END, 0x4F, 0, ENHANCED_KEY}},
    {"PgUp", {VK_PRIOR, 0x49, 0, ENHANCED_KEY}},
    {"PgDn", {VK_NEXT, 0x51, 0, ENHANCED_KEY}},
    {"Ins", {VK_INSERT, 0x52, 0, ENHANCED_KEY}},
    {"Del", {VK_DELETE, 0x53, 0, ENHANCED_KEY}},
    {"F1", {VK_F1, 0x3B, 0, 0}},
    {"F2", {VK_F2, 0x3C, 0, 0}},
    {"F3", {VK_F3, 0x3D, 0, 0}},
    {"F4", {VK_F4, 0x3E, 0, 0}},
    {"F5", {VK_F5, 0x3F, 0, 0}},
    {"F6", {VK_F6, 0x40, 0, 0}},
    {"F7", {VK_F7, 0x41, 0, 0}},
    {"F8", {VK_F8, 0x42, 0, 0}},
    {"F9", {VK_F9, 0x43, 0, 0}},
    {"F10", {VK_F10, 0x44, 0, 0}},
    {"F11", {VK_F11, 0x57, 0, 0}},
    {"F12", {VK_F12, 0x58, 0, 0}},
    {"Shift", {VK_SHIFT, 0x2A, 0, 0}},
    {"Ctrl", {VK_CONTROL, 0x1D, 0, 0}},
    {"Alt", {VK_MENU, 0x38, 0, 0}},
    {"CapsLock", {VK_CAPITAL, 0x3A, 0, 0}},
};

struct Modifier {
    std::string_view name;
    DWORD state;
};

constexpr Modifier modifiers[] = {{"Shift+", SHIFT_PRESSED}, {"Ctrl+", LEFT_CTRL_PRESSED}, {"Alt+", LEFT_ALT_PRESSED}};

std::optional<Key> key_of_character(char c) {
    const SHORT code = VkKeyScanA(c);
    const WORD virtual_key = code == -1 ? 0 : static_cast<WORD>(code & 0xFF);
    return Key{virtual_key, static_cast<WORD>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC)), c, 0};
}

std::optional<Key> key_of_name(std::string_view name) {
    for (const NamedKey& named : named_keys) {
        if (named.name == name) {
            return named.key;
        }
    }
    if (name.size() == 1) {
        return key_of_character(name[0]);
    }
    return std::nullopt;
}

void add_press(std::vector<INPUT_RECORD>& records, const Key& key, DWORD state) {
    char character = key.character;
    if ((state & LEFT_CTRL_PRESSED) != 0 && character >= 'a' && character <= 'z') {
        character = static_cast<char>(character - 'a' + 1);
    } else if ((state & LEFT_CTRL_PRESSED) != 0 && character >= 'A' && character <= 'Z') {
        character = static_cast<char>(character - 'A' + 1);
    }
    WORD virtual_key = key.virtual_key;
    if (virtual_key == 0 && character >= 'a' && character <= 'z') {
        virtual_key = static_cast<WORD>(character - 'a' + 'A');
    }
    for (const BOOL down : {TRUE, FALSE}) {
        INPUT_RECORD record{};
        record.EventType = KEY_EVENT;
        record.Event.KeyEvent.bKeyDown = down;
        record.Event.KeyEvent.wRepeatCount = 1;
        record.Event.KeyEvent.wVirtualKeyCode = virtual_key;
        record.Event.KeyEvent.wVirtualScanCode = key.scan_code;
        record.Event.KeyEvent.uChar.AsciiChar = character;
        record.Event.KeyEvent.dwControlKeyState = state | key.enhanced;
        records.push_back(record);
    }
}

// The key events for a KEYS text; nothing when a key name is unknown.
std::optional<std::vector<INPUT_RECORD>> key_events(std::string_view keys) {
    std::vector<INPUT_RECORD> records;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != '{' || keys.substr(i, 2) == "{{") {
            add_press(records, *key_of_character(keys[i]), 0);
            i += keys[i] == '{' ? 1 : 0;
            continue;
        }
        const std::size_t close = keys.find('}', i + 2);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view name = keys.substr(i + 1, close - i - 1);
        DWORD state = 0;
        for (bool found = true; found;) {
            found = false;
            for (const Modifier& modifier : modifiers) {
                if (name.size() > modifier.name.size() && name.substr(0, modifier.name.size()) == modifier.name) {
                    state |= modifier.state;
                    name.remove_prefix(modifier.name.size());
                    found = true;
                }
            }
        }
        const std::optional<Key> key = key_of_name(name);
        if (!key) {
            return std::nullopt;
        }
        add_press(records, *key, state);
        i = close;
    }
    return records;
}

std::string unescape(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            result += text[i] == 'n' ? '\n' : text[i];
        } else {
            result += text[i];
        }
    }
    return result;
}

class Console {
public:
    Console()
        : input_(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr)),
          output_(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr)) {}

    [[nodiscard]] bool usable() const { return input_ != INVALID_HANDLE_VALUE && output_ != INVALID_HANDLE_VALUE; }

    bool type(const std::vector<INPUT_RECORD>& records) {
        std::size_t written_all = 0;
        while (written_all < records.size()) {
            DWORD written = 0;
            if (WriteConsoleInputA(input_, records.data() + written_all,
                                   static_cast<DWORD>(records.size() - written_all), &written) == 0 ||
                written == 0) {
                return false;
            }
            written_all += written;
        }
        return true;
    }

    // The rows up to the cursor's, joined as described above.
    [[nodiscard]] std::string screen() const {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (GetConsoleScreenBufferInfo(output_, &info) == 0) {
            return {};
        }
        const SHORT width = info.dwSize.X;
        std::string text;
        std::string row(static_cast<std::size_t>(width), ' ');
        for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
            DWORD read = 0;
            ReadConsoleOutputCharacterA(output_, row.data(), static_cast<DWORD>(width), COORD{0, y}, &read);
            std::string_view content(row.data(), read);
            const bool full = content.size() == static_cast<std::size_t>(width) && content.back() != ' ';
            // Blanks before the cursor are text, as after a prompt's "? ".
            const std::size_t kept = y == info.dwCursorPosition.Y ? info.dwCursorPosition.X : 0;
            while (content.size() > kept && (content.back() == ' ' || content.back() == '\0')) {
                content.remove_suffix(1);
            }
            text += content;
            if (!full && y < info.dwCursorPosition.Y) {
                text += '\n';
            }
        }
        return text;
    }

    // Rows enough for a whole run; the width stays, since a console does
    // not wrap again what it has already shown.
    void make_tall() const {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (GetConsoleScreenBufferInfo(output_, &info) != 0) {
            SetConsoleScreenBufferSize(output_, COORD{info.dwSize.X, screen_height});
        }
    }

private:
    HANDLE input_;
    HANDLE output_;
};

BOOL WINAPI ignore_control(DWORD /*control_type*/) { return TRUE; }

void write_all(HANDLE handle, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        if (WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) == 0 || written == 0) {
            return;
        }
        text.remove_prefix(written);
    }
}

struct Driver {
    HANDLE report;  // where the screen and the status go
    HANDLE errors;
    PROCESS_INFORMATION program;
    Console* console = nullptr;
    std::size_t seen = 0;  // screen text already matched by a wait

    bool fail(const std::string& why) const {
        write_all(errors, "console driver: " + why + "\n");
        return false;
    }

    bool wait_for(const std::string& text) {
        const ULONGLONG deadline = GetTickCount64() + wait_limit_ms;
        for (;;) {
            const std::string screen = console->screen();
            const std::size_t found = screen.find(text, seen);
            if (found != std::string::npos) {
                seen = found + text.size();
                return true;
            }
            if (GetTickCount64() >= deadline) {
                return fail("timed out waiting for \"" + text + "\"");
            }
            if (WaitForSingleObject(program.hProcess, screen_poll_ms) == WAIT_OBJECT_0 &&
                console->screen().find(text, seen) == std::string::npos) {
                return fail("the program ended before \"" + text + "\" appeared");
            }
        }
    }

    bool run(std::istream& script) {
        std::string line;
        while (std::getline(script, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            const std::string_view command(line);
            if (command.substr(0, 5) == "type ") {
                const auto records = key_events(command.substr(5));
                if (!records) {
                    return fail("unknown key in: " + line);
                }
                if (!console->type(*records)) {
                    return fail("the keys could not be typed: " + line);
                }
            } else if (command.substr(0, 5) == "wait ") {
                if (!wait_for(unescape(command.substr(5)))) {
                    return false;
                }
            } else if (command.substr(0, 5) == "idle ") {
                const DWORD idle_ms = std::strtoul(line.c_str() + 5, nullptr, 10);
                write_all(errors, "idle: start\n");
                Sleep(idle_ms);
                write_all(errors, "idle: end\n");
            } else if (command == "end") {
                if (WaitForSingleObject(program.hProcess, wait_limit_ms) != WAIT_OBJECT_0) {
                    return fail("the program did not end");
                }
            } else if (!command.empty()) {
                return fail("unknown command: " + line);
            }
        }
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    Driver driver{GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE), {}};
    if (argc != 3) {
        driver.fail("usage: console_driver SCRIPT PROGRAM");
        return 1;
    }
    std::ifstream script(argv[1], std::ios::binary);
    if (!script) {
        driver.fail(std::string("cannot read ") + argv[1]);
        return 1;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // Started by its full path, as a shell would start it.
    char program_path[MAX_PATH];
    if (GetFullPathNameA(argv[2], MAX_PATH, program_path, nullptr) == 0) {
        driver.fail(std::string("no such program: ") + argv[2]);
        return 1;
    }
    std::string command_line = std::string("\"") + program_path + "\"";
    if (CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &driver.program) == 0) {
        driver.fail(std::string("cannot start ") + argv[2]);
        return 1;
    }
    FreeConsole();
    bool attached = false;
    for (int attempt = 0; attempt < 500 && !attached; ++attempt) {
        attached = AttachConsole(driver.program.dwProcessId) != 0;
        if (!attached) {
            Sleep(10);  // the new console is still being made
        }
    }
    // Ctrl-C typed into the console is for the program.
    SetConsoleCtrlHandler(ignore_control, TRUE);
    Console console;
    driver.console = &console;
    bool completed = false;
    if (!attached || !console.usable()) {
        driver.fail("cannot attach to the program's console");
    } else {
        console.make_tall();
        completed = driver.run(script);
    }
    DWORD status = 0;
    if (!completed || WaitForSingleObject(driver.program.hProcess, 0) != WAIT_OBJECT_0) {
        completed = completed && driver.fail("the script ended while the program still ran");
        TerminateProcess(driver.program.hProcess, 1);
        WaitForSingleObject(driver.program.hProcess, wait_limit_ms);
    }
    GetExitCodeProcess(driver.program.hProcess, &status);
    std::string screen = console.usable() ? console.screen() : std::string();
    char status_line[40];
    std::snprintf(status_line, sizeof status_line, "\nexit status 0x%08lx\n", status);
    write_all(driver.report, screen + status_line);
    return completed ? 0 : 1;
}
