#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "console/character_set.h"
#include "console/key_codes.h"
#include "console/line_editor.h"
#include "console/row_rewrap.h"
#include "console/terminal.h"
#include "process/interruption.h"

namespace sumwright::terminal {
namespace {

using character_set::column_width;
using character_set::utf8_locale;

constexpr int input_fd = STDIN_FILENO;
// How long the rest of an escape sequence or of a multi-byte character may
// take to arrive after its first byte.
constexpr int sequence_gap_ms = 50;
constexpr std::size_t usual_width = 80;

// The terminal's settings before the program took it over, and those of the
// program's own mode while it holds the terminal.
struct termios saved_settings {};
struct termios program_settings {};
bool settings_saved = false;
// Set when the program is continued after a stop in its own mode, and when
// the terminal changes its size.
volatile std::sig_atomic_t continued = 0;
volatile std::sig_atomic_t resized = 0;
// Where the line that an answer is typed on is shown, while it is; -1 else.
volatile std::sig_atomic_t answer_screen = -1;
// Bytes read from the terminal that no key has taken yet.
std::string pending_bytes;
// The last key was a carriage return that came together with more: a line
// feed right after it belongs to the same Enter (text pasted with CR LF
// line ends), while one typed later is an Enter of its own.
bool after_carriage_return = false;

bool set_settings(const struct termios& settings) {
    while (tcsetattr(input_fd, TCSANOW, &settings) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

void restore_settings() {
    if (settings_saved) {
        set_settings(saved_settings);
    }
}

void reapply_program_settings() {
    if (settings_saved) {
        set_settings(program_settings);
        continued = 1;
    }
}

// An answer's line cut short by the end of the program is ended, so that
// what the terminal shows next starts a line of its own.
void end_answer_line() {
    if (answer_screen >= 0) {
        static constexpr char line_end[] = {key_codes::carriage_return, key_codes::line_feed};
        [[maybe_unused]] const ssize_t written = ::write(answer_screen, line_end, sizeof line_end);
    }
}

void note_resize(int /*signal_number*/) { resized = 1; }

enum class Mode {
    single_keys,     // keys without echo and without Enter, one byte at a time
    terminal_lines,  // lines edited by the terminal itself, echoed
};

// Puts the terminal into `mode`, whatever state it was left in (raw, or
// with reads that return at once); signal keys keep working as they did.
bool enter_program_mode(Mode mode) {
    if (tcgetattr(input_fd, &saved_settings) != 0) {
        return false;
    }
    program_settings = saved_settings;
    if (mode == Mode::single_keys) {
        program_settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
        // Enter comes as the carriage return the keyboard sends.
        program_settings.c_iflag &= ~static_cast<tcflag_t>(IGNCR | ICRNL | INLCR);
        program_settings.c_cc[VMIN] = 1;
        program_settings.c_cc[VTIME] = 0;
    } else {
        program_settings.c_lflag |= ICANON | ECHO;
        program_settings.c_iflag |= ICRNL;
        program_settings.c_iflag &= ~static_cast<tcflag_t>(IGNCR | INLCR);
    }
    settings_saved = true;
    continued = 0;
    interruption::set_terminal_restorer(restore_settings);
    interruption::set_terminal_resumer(reapply_program_settings);
    // TCSANOW, not TCSAFLUSH: keys typed ahead stay in the input.
    if (!set_settings(program_settings)) {
        interruption::set_terminal_resumer(nullptr);
        interruption::set_terminal_restorer(nullptr);
        settings_saved = false;
        return false;
    }
    return true;
}

void leave_program_mode() {
    interruption::set_terminal_resumer(nullptr);
    restore_settings();
    interruption::set_terminal_restorer(nullptr);
    settings_saved = false;
}

// A terminal that takes no cursor sequences: an editor's shell buffer, or
// one whose kind nobody named.
bool dumb_terminal() {
    const char* kind = std::getenv("TERM");
    return kind == nullptr || *kind == '\0' || std::strcmp(kind, "dumb") == 0;
}

enum class Wait { ready, timeout, ended, interrupted };

Wait wait_readable(int timeout_ms) {
    struct pollfd descriptor {
        input_fd, POLLIN, 0
    };
    const int result = ::poll(&descriptor, 1, timeout_ms);
    if (result > 0) {
        return Wait::ready;
    }
    if (result == 0) {
        return Wait::timeout;
    }
    return errno == EINTR ? Wait::interrupted : Wait::ended;
}

// Whether a failed read is worth another try: after a signal, or when the
// input was left non-blocking and has nothing yet (then it is waited for).
bool read_again_after(int error) {
    if (error == EAGAIN) {  // also EWOULDBLOCK, the same number here
        Wait waited = Wait::interrupted;
        while (waited == Wait::interrupted) {
            waited = wait_readable(-1);
        }
        return waited == Wait::ready;
    }
    return error == EINTR;
}

// One byte onto the pending bytes; false at end of input. One at a time, so
// that nothing beyond the last key is taken from the next program.
bool take_byte() {
    for (;;) {
        char byte = 0;
        const ssize_t count = ::read(input_fd, &byte, 1);
        if (count == 1) {
            pending_bytes += byte;
            return true;
        }
        if (count < 0 && read_again_after(errno)) {
            continue;
        }
        return false;
    }
}

enum class Got { key, nothing, ended, interrupted };

// The next key; waits at most `timeout_ms` for its first byte (-1: as long
// as it takes), and a short gap for each of the rest.
Got next_key(int timeout_ms, TerminalKey& key) {
    if (pending_bytes.empty()) {
        switch (wait_readable(timeout_ms)) {
            case Wait::timeout:
                return Got::nothing;
            case Wait::interrupted:
                return Got::interrupted;
            case Wait::ended:
                return Got::ended;
            case Wait::ready:
                break;
        }
        if (!take_byte()) {
            return Got::ended;
        }
    }
    DecodedKey decoded = decode_terminal_key(pending_bytes, utf8_locale(), false);
    while (decoded.length == 0) {
        const bool more = wait_readable(sequence_gap_ms) == Wait::ready && take_byte();
        decoded = decode_terminal_key(pending_bytes, utf8_locale(), !more);
    }
    pending_bytes.erase(0, decoded.length);
    key = std::move(decoded.key);
    const bool character = key.kind == TerminalKey::Kind::character;
    const bool line_feed_of_enter = after_carriage_return && character && key.bytes[0] == key_codes::line_feed;
    after_carriage_return = character && key.bytes[0] == key_codes::carriage_return &&
                            (!pending_bytes.empty() || wait_readable(0) == Wait::ready);
    if (line_feed_of_enter) {
        return Got::nothing;
    }
    // Signal keys come as keys only from a terminal left without them.
    if (character && settings_saved && (saved_settings.c_lflag & ISIG) == 0) {
        using namespace key_codes;
        for (const auto& [byte, signal_number] :
             {std::pair{ctrl_c, SIGINT}, {ctrl_backslash, SIGQUIT}, {ctrl_z, SIGTSTP}}) {
            if (key.bytes[0] == byte) {
                ::raise(signal_number);
                return Got::nothing;
            }
        }
    }
    return Got::key;
}

KeyPoll key_poll(const TerminalKey& key) {
    switch (key.kind) {
        case TerminalKey::Kind::escape:
            return {KeyPoll::Kind::key, "\x1B"};
        case TerminalKey::Kind::sequence:
            return {KeyPoll::Kind::key, std::string{key_codes::extended_prefix, scan_code_of(key.bytes)}};
        default:
            break;
    }
    if (key.bytes[0] == key_codes::line_feed) {
        return {KeyPoll::Kind::key, "\r"};  // Enter, as a console reports it
    }
    if (key.bytes[0] == key_codes::del_character) {
        return {KeyPoll::Kind::key, "\b"};
    }
    return {KeyPoll::Kind::key, key.bytes};
}

// Where the editor draws: the terminal that shows the program's output, or
// else the one that echoed the keys.
int screen_fd() { return ::isatty(STDOUT_FILENO) == 1 ? STDOUT_FILENO : input_fd; }

std::size_t screen_width(int fd) {
    struct winsize size {};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return usual_width;
}

void write_screen(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;  // a screen that takes nothing does not stop the answer
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool input_waiting() { return !pending_bytes.empty() || wait_readable(0) == Wait::ready; }

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

void discard_pending_input() {
    tcflush(input_fd, TCIFLUSH);
    pending_bytes.clear();
}

SingleKeyMode::SingleKeyMode() { enter_program_mode(Mode::single_keys); }

SingleKeyMode::~SingleKeyMode() { leave_program_mode(); }

KeyPoll SingleKeyMode::poll(std::chrono::milliseconds timeout) {
    TerminalKey key;
    switch (next_key(static_cast<int>(timeout.count()), key)) {
        case Got::key:
            return key_poll(key);
        case Got::ended:
            return {KeyPoll::Kind::input_ended, {}};
        default:
            return {};
    }
}

LineEditingMode::LineEditingMode() {
    if (dumb_terminal()) {
        enter_program_mode(Mode::terminal_lines);
    } else {
        active_ = enter_program_mode(Mode::single_keys);
    }
    // The prompt is on standard output's terminal; a line there is ended.
    answer_screen = ::isatty(STDOUT_FILENO) == 1 ? STDOUT_FILENO : -1;
    interruption::set_line_ender(end_answer_line);
    if (active_) {
        struct sigaction action {};
        action.sa_handler = note_resize;
        sigemptyset(&action.sa_mask);
        sigaction(SIGWINCH, &action, nullptr);
        resized = 0;
    }
}

LineEditingMode::~LineEditingMode() {
    interruption::set_line_ender(nullptr);
    answer_screen = -1;
    if (settings_saved) {
        leave_program_mode();
    }
    if (active_) {
        signal(SIGWINCH, SIG_DFL);
    }
}

std::optional<std::string> LineEditingMode::read(std::string_view row) const {
    if (!active_) {
        return std::nullopt;
    }
    static AnswerHistory history;
    const int screen = screen_fd();
    // With the terminal's output processing a line feed also returns the
    // cursor to the start of the row; a raw terminal needs both.
    const bool maps_line_feed = (saved_settings.c_oflag & OPOST) != 0 && (saved_settings.c_oflag & ONLCR) != 0;
    const std::string_view line_end = maps_line_feed ? "\n" : "\r\n";
    LineEditor editor(std::string(row), utf8_locale(), history, column_width, terminal_rewraps_rows());
    for (;;) {
        if (continued != 0) {
            continued = 0;
            write_screen(screen, editor.redraw(screen_width(screen)));
        }
        if (resized != 0) {
            resized = 0;
            write_screen(screen, editor.resized(screen_width(screen)));
        }
        TerminalKey key;
        const Got got = next_key(-1, key);
        if (got == Got::ended) {
            return std::nullopt;
        }
        if (got != Got::key) {
            continue;
        }
        switch (editor.apply(key)) {
            case LineEditor::Outcome::entered:
                write_screen(screen, editor.finish(screen_width(screen), line_end));
                answer_screen = -1;
                return editor.line();
            case LineEditor::Outcome::input_ended:
                return std::nullopt;
            case LineEditor::Outcome::editing:
                break;
        }
        // Keys that come together, as pasted text does, are drawn together.
        if (!input_waiting()) {
            write_screen(screen, editor.render(screen_width(screen)));
        }
    }
}

}  // namespace sumwright::terminal
