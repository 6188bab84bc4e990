#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "console/terminal.h"
#include "process/interruption.h"

namespace sumwright::terminal {
namespace {

constexpr int input_fd = STDIN_FILENO;
// How long the rest of an escape sequence or of a multi-byte character may
// take to arrive after its first byte.
constexpr int sequence_gap_ms = 50;
constexpr char extended_prefix = '\xFF';

struct termios saved_settings {};
struct termios single_key_settings {};
bool settings_saved = false;

void restore_settings() {
    if (settings_saved) {
        tcsetattr(input_fd, TCSANOW, &saved_settings);
    }
}

void reapply_single_key_settings() {
    if (settings_saved) {
        tcsetattr(input_fd, TCSANOW, &single_key_settings);
    }
}

enum class Wait { ready, timeout, ended };

Wait wait_readable(int timeout_ms) {
    struct pollfd descriptor {
        input_fd, POLLIN, 0
    };
    for (;;) {
        const int result = ::poll(&descriptor, 1, timeout_ms);
        if (result > 0) {
            return Wait::ready;
        }
        if (result == 0) {
            return Wait::timeout;
        }
        if (errno != EINTR) {
            return Wait::ended;
        }
    }
}

// Whether a failed read is worth another try: after a signal, or when the
// input was left non-blocking and has nothing yet (then it is waited for).
bool read_again_after(int error) {
    if (error == EAGAIN) {  // also EWOULDBLOCK, the same number here
        return wait_readable(-1) == Wait::ready;
    }
    return error == EINTR;
}

// One byte, or nothing at end of input.
bool read_byte(char& byte) {
    for (;;) {
        const ssize_t count = ::read(input_fd, &byte, 1);
        if (count == 1) {
            return true;
        }
        if (count < 0 && read_again_after(errno)) {
            continue;
        }
        return false;
    }
}

bool read_byte_soon(char& byte) { return wait_readable(sequence_gap_ms) == Wait::ready && read_byte(byte); }

// The scan code a console would report for the key behind an escape
// sequence; 0 for sequences without a counterpart.
char scan_code_of(const std::string& sequence) {
    struct Entry {
        const char* sequence;
        unsigned char scan_code;
    };
    static constexpr Entry entries[] = {
        {"[A", 72},   {"[B", 80},   {"[C", 77},   {"[D", 75},   {"[H", 71},    {"[F", 79},
        {"OA", 72},   {"OB", 80},   {"OC", 77},   {"OD", 75},   {"OH", 71},    {"OF", 79},
        {"[1~", 71},  {"[2~", 82},  {"[3~", 83},  {"[4~", 79},  {"[5~", 73},   {"[6~", 81},
        {"OP", 59},   {"OQ", 60},   {"OR", 61},   {"OS", 62},   {"[15~", 63},  {"[17~", 64},
        {"[18~", 65}, {"[19~", 66}, {"[20~", 67}, {"[21~", 68}, {"[23~", 133}, {"[24~", 134},
    };
    for (const auto& entry : entries) {
        if (sequence == entry.sequence) {
            return static_cast<char>(entry.scan_code);
        }
    }
    return 0;
}

// The rest of an escape sequence, read whole so none of it is left behind.
std::string read_escape_sequence() {
    std::string sequence;
    char byte = 0;
    if (!read_byte_soon(byte)) {
        return {};
    }
    sequence += byte;
    if (byte == '[') {
        // Parameters and intermediates, up to the final byte.
        while (read_byte_soon(byte)) {
            sequence += byte;
            if (byte >= 0x40 && byte <= 0x7E) {
                break;
            }
        }
    } else if (byte == 'O' && read_byte_soon(byte)) {
        sequence += byte;
    }
    return sequence;
}

std::size_t continuation_bytes(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) {
        return 3;
    }
    if (lead >= 0xE0) {
        return 2;
    }
    if (lead >= 0xC0) {
        return 1;
    }
    return 0;
}

KeyPoll key(std::string text) { return {KeyPoll::Kind::key, std::move(text)}; }

KeyPoll decode_key(char first) {
    if (first == '\x1B') {
        const std::string sequence = read_escape_sequence();
        if (sequence.empty()) {
            return key("\x1B");
        }
        return key(std::string{extended_prefix, scan_code_of(sequence)});
    }
    if (first == '\n') {
        return key("\r");  // Enter, as a console reports it
    }
    if (first == '\x7F') {
        return key("\b");
    }
    std::string text(1, first);
    const auto lead = static_cast<unsigned char>(first);
    if (lead < 0xF8) {
        char byte = 0;
        for (std::size_t i = continuation_bytes(lead); i > 0 && read_byte_soon(byte); --i) {
            text += byte;
        }
    }
    return key(std::move(text));
}

}  // namespace

bool standard_input_is_interactive() { return ::isatty(input_fd) == 1; }

std::size_t read_standard_input(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = ::read(input_fd, buffer, size);
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (!read_again_after(errno)) {
            return 0;
        }
    }
}

void discard_pending_input() { tcflush(input_fd, TCIFLUSH); }

SingleKeyMode::SingleKeyMode() {
    if (tcgetattr(input_fd, &saved_settings) != 0) {
        return;
    }
    single_key_settings = saved_settings;
    single_key_settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    single_key_settings.c_cc[VMIN] = 1;
    single_key_settings.c_cc[VTIME] = 0;
    settings_saved = true;
    interruption::set_terminal_restorer(restore_settings);
    interruption::set_terminal_resumer(reapply_single_key_settings);
    // TCSANOW, not TCSAFLUSH: keys typed ahead stay in the input.
    tcsetattr(input_fd, TCSANOW, &single_key_settings);
}

SingleKeyMode::~SingleKeyMode() {
    interruption::set_terminal_resumer(nullptr);
    restore_settings();
    interruption::set_terminal_restorer(nullptr);
    settings_saved = false;
}

KeyPoll SingleKeyMode::poll(std::chrono::milliseconds timeout) {
    switch (wait_readable(static_cast<int>(timeout.count()))) {
        case Wait::timeout:
            return {};
        case Wait::ended:
            return {KeyPoll::Kind::input_ended, {}};
        case Wait::ready:
            break;
    }
    char first = 0;
    if (!read_byte(first)) {
        return {KeyPoll::Kind::input_ended, {}};
    }
    return decode_key(first);
}

}  // namespace sumwright::terminal
