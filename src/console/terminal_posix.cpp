#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
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

enum class Mode {
    none,            // the terminal as the program found it
    single_keys,     // keys without echo and without Enter, one byte at a time
    terminal_lines,  // lines edited by the terminal itself, echoed
};

// The mode the program holds the terminal in; the terminal's settings before
// it took the terminal over, and those of its own mode.
std::atomic<Mode> held{Mode::none};
struct termios saved_settings {};
struct termios program_settings {};
// Set when the program is back from a stop in its own mode: to
// `continued_in_place` where the cursor is where the program left it, to
// `continued_on_new_row` where the shell has moved it to a row of its own.
constexpr std::sig_atomic_t continued_in_place = 1;
constexpr std::sig_atomic_t continued_on_new_row = 2;
volatile std::sig_atomic_t continued = 0;
// Where the line that an answer is typed on is shown, while it is; -1 else.
volatile std::sig_atomic_t answer_screen = -1;
// Bytes read from the terminal that no key has taken yet.
std::string pending_bytes;

bool set_settings(const struct termios& settings) {
    while (tcsetattr(input_fd, TCSANOW, &settings) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

void restore_settings() {
    if (held.load() != Mode::none) {
        set_settings(saved_settings);
    }
}

void reapply_program_settings(bool screen_moved) {
    if (held.load() != Mode::none) {
        set_settings(program_settings);
        if (screen_moved) {
            continued = continued_on_new_row;
        } else if (continued == 0) {
            continued = continued_in_place;
        }
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

// Puts the terminal into `mode`, whatever state it was left in (raw, or
// with reads that return at once); signal keys keep working as they did.
// Where its settings cannot be read or changed, it stays as it is and the
// program holds no mode.
void enter_program_mode(Mode mode) {
    if (tcgetattr(input_fd, &saved_settings) != 0) {
        return;
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
        // Enter ends a line as the carriage return it is, so that the line
        // feed of a CR LF pair is told from one typed on its own. Control
        // characters are echoed as they are: Enter's echo only returns the
        // cursor, where it would show "^M".
        program_settings.c_lflag &= ~static_cast<tcflag_t>(ECHOCTL);
        program_settings.c_iflag &= ~static_cast<tcflag_t>(IGNCR | ICRNL | INLCR);
        program_settings.c_cc[VEOL] = key_codes::carriage_return;
    }
    held.store(mode);
    continued = 0;
    interruption::set_terminal_restorer(restore_settings);
    interruption::set_terminal_resumer(reapply_program_settings);
    // TCSANOW, not TCSAFLUSH: keys typed ahead stay in the input.
    if (!set_settings(program_settings)) {
        interruption::set_terminal_resumer(nullptr);
        interruption::set_terminal_restorer(nullptr);
        held.store(Mode::none);
    }
}

void leave_program_mode() {
    interruption::set_terminal_resumer(nullptr);
    restore_settings();
    interruption::set_terminal_restorer(nullptr);
    held.store(Mode::none);
}

// A terminal that takes no cursor sequences: an editor's shell buffer, or
// one whose kind nobody named.
bool dumb_terminal() {
    const char* kind = std::getenv("TERM");
    return kind == nullptr || *kind == '\0' || std::strcmp(kind, "dumb") == 0;
}

enum class Wait { ready, timeout, ended, interrupted };

// Waits at most `timeout_ms` (-1: as long as it takes) for input; with
// `let_in`, under that signal mask, so that a signal held back until then
// cuts the wait short.
Wait wait_readable(int timeout_ms, const sigset_t* let_in = nullptr) {
    struct pollfd descriptor {
        input_fd, POLLIN, 0
    };
    constexpr int ms_per_s = 1000;
    constexpr long ns_per_ms = 1000000;
    struct timespec limit {};
    limit.tv_sec = timeout_ms / ms_per_s;
    limit.tv_nsec = (timeout_ms % ms_per_s) * ns_per_ms;
    const int result = ::ppoll(&descriptor, 1, timeout_ms < 0 ? nullptr : &limit, let_in);
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

// After a carriage return: a line feed that came with it (text pasted with
// CR LF line ends) is taken as part of the same Enter, while one typed later
// is an Enter of its own. True when one was taken.
bool take_line_feed_of_enter() {
    if (pending_bytes.empty() && wait_readable(0) == Wait::ready) {
        take_byte();
    }
    if (!pending_bytes.empty() && pending_bytes[0] == key_codes::line_feed) {
        pending_bytes.erase(0, 1);
        return true;
    }
    return false;
}

// The next key; waits at most `timeout_ms` for its first byte (-1: as long
// as it takes), with `let_in` as the signal mask meanwhile, and a short gap
// for each of the rest.
Got next_key(int timeout_ms, TerminalKey& key, const sigset_t* let_in = nullptr) {
    if (pending_bytes.empty()) {
        switch (wait_readable(timeout_ms, let_in)) {
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
    if (character && key.bytes[0] == key_codes::carriage_return) {
        take_line_feed_of_enter();
    }
    // Signal keys come as keys only from a terminal left without them.
    if (character && held.load() != Mode::none && (saved_settings.c_lflag & ISIG) == 0) {
        for (const auto& [byte, signal_number] : {std::pair{key_codes::ctrl_c, SIGINT},
                                                  {key_codes::ctrl_backslash, SIGQUIT},
                                                  {key_codes::ctrl_z, SIGTSTP}}) {
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

// Where an answer's row is: on the terminal that shows the program's output,
// or else on the one that echoes the keys.
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

// The signals whose handlers leave the line editor work (a resize, a stop,
// the continue after one): held back while it edits and let in before it
// looks at what they left and while it waits for a key, so that none can
// wait unseen for the next key.
class HeldSignals final {
public:
    HeldSignals() {
        sigemptyset(&held_back_);
        for (const int signal_number : held_signal_numbers) {
            sigaddset(&held_back_, signal_number);
        }
        sigprocmask(SIG_BLOCK, &held_back_, &before_);
    }
    ~HeldSignals() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;
    HeldSignals(HeldSignals&&) = delete;
    HeldSignals& operator=(HeldSignals&&) = delete;

    // Those that came while held back act now. A wait that found input
    // ready at once leaves them waiting.
    void let_in_waiting() const {
        sigset_t waiting;
        sigpending(&waiting);
        for (const int signal_number : held_signal_numbers) {
            if (sigismember(&waiting, signal_number) == 1 && sigismember(&before_, signal_number) == 0) {
                sigprocmask(SIG_SETMASK, &before_, nullptr);
                sigprocmask(SIG_BLOCK, &held_back_, nullptr);
                return;
            }
        }
    }
    // The signal mask to wait for a key with.
    [[nodiscard]] const sigset_t* let_in() const { return &before_; }

private:
    static constexpr std::array held_signal_numbers{SIGWINCH, SIGTSTP, SIGCONT};
    sigset_t held_back_{};
    sigset_t before_{};
};

// One answer typed at the program's own line editor, drawn on `screen`.
std::optional<std::string> edit_line(int screen, std::string_view row, AnswerHistory& history) {
    const HeldSignals held_signals;
    // With the terminal's output processing a line feed also returns the
    // cursor to the start of the row; a raw terminal needs both.
    const bool maps_line_feed = (saved_settings.c_oflag & OPOST) != 0 && (saved_settings.c_oflag & ONLCR) != 0;
    const std::string_view line_end = maps_line_feed ? "\n" : "\r\n";
    LineEditor editor(std::string(row), utf8_locale(), history, column_width, terminal_rewraps_rows());
    for (;;) {
        held_signals.let_in_waiting();
        if (continued != 0) {
            const bool on_new_row = continued == continued_on_new_row;
            continued = 0;
            const std::size_t width = screen_width(screen);
            write_screen(screen, on_new_row ? editor.redraw_on_new_row(width) : editor.redraw(width));
        }
        if (interruption::resized()) {
            write_screen(screen, editor.resized(screen_width(screen)));
        }
        TerminalKey key;
        const Got got = next_key(-1, key, held_signals.let_in());
        if (got == Got::ended) {
            return std::nullopt;
        }
        if (got != Got::key) {
            continue;
        }
        switch (editor.apply(key)) {
            case LineEditor::Outcome::entered:
                write_screen(screen, editor.finish(screen_width(screen), line_end));
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

// One answer as the terminal's own line editing gives it: up to Enter (a
// carriage return), a line feed, or both together; nothing at the end of
// input (Ctrl-D on an empty line).
std::optional<std::string> read_terminal_line(int screen) {
    constexpr std::string_view line_ends{"\r\n"};
    std::size_t end = pending_bytes.find_first_of(line_ends);
    while (end == std::string::npos) {
        // The terminal gives at most one line a read: nothing beyond the
        // answer is taken from the next program.
        std::array<char, 4096> chunk{};
        const std::size_t count = read_standard_input(chunk.data(), chunk.size());
        if (count == 0) {
            if (pending_bytes.empty()) {
                return std::nullopt;
            }
            return std::exchange(pending_bytes, {});  // a last line without its end
        }
        const std::size_t searched = pending_bytes.size();
        pending_bytes.append(chunk.data(), count);
        end = pending_bytes.find_first_of(line_ends, searched);
    }
    std::string line = pending_bytes.substr(0, end);
    const bool enter = pending_bytes[end] == key_codes::carriage_return;
    pending_bytes.erase(0, end + 1);
    // The echo of a line feed ended the answer's row; that of Enter alone
    // only returned the cursor.
    if (enter && !take_line_feed_of_enter()) {
        write_screen(screen, "\r\n");
    }
    return line;
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

LineEditingMode::LineEditingMode() : screen_(screen_fd()) {
    enter_program_mode(dumb_terminal() ? Mode::terminal_lines : Mode::single_keys);
    answer_screen = screen_;
    interruption::set_line_ender(end_answer_line);
    interruption::resized();  // the prompt is drawn for the size the terminal has now
}

LineEditingMode::~LineEditingMode() {
    interruption::set_line_ender(nullptr);
    answer_screen = -1;
    if (held.load() != Mode::none) {
        leave_program_mode();
    }
}

std::optional<std::string> LineEditingMode::read(std::string_view row, AnswerHistory& history, LineInput& lines) const {
    std::optional<std::string> line;
    switch (held.load()) {
        case Mode::single_keys:
            line = edit_line(screen_, row, history);
            break;
        case Mode::terminal_lines:
            line = read_terminal_line(screen_);
            break;
        case Mode::none:
            return lines.next_line();
    }
    if (line) {
        answer_screen = -1;  // its row is ended
    }
    return line;
}

}  // namespace sumwright::terminal
