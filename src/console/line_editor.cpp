#include "console/line_editor.h"

#include <utility>

#include "console/line_input.h"

namespace sumwright {
namespace {

constexpr char escape = '\x1B';

// Scan codes of the keys the editor acts on.
enum ScanCode : unsigned char {
    f1 = 59,
    f2 = 60,
    f3 = 61,
    f4 = 62,
    f5 = 63,
    home = 71,
    up = 72,
    page_up = 73,
    left = 75,
    right = 77,
    end = 79,
    down = 80,
    page_down = 81,
    insert = 82,
    del = 83,
};

bool between(char c, unsigned lowest, unsigned highest) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= lowest && byte <= highest;
}

bool is_continuation(char c) { return between(c, 0x80, 0xBF); }

DecodedKey incomplete() { return {}; }

DecodedKey taken(TerminalKey::Kind kind, std::string_view bytes, std::size_t length) {
    const std::size_t skipped = kind == TerminalKey::Kind::sequence ? 1 : 0;
    return {{kind, std::string(bytes.substr(skipped, length - skipped))}, length};
}

// The length of a sequence whose bytes from `from` on are parameters (from
// `lowest` up to 0x3F) and then one final byte; 0 while it may go on. A byte
// of no sequence ends it early and begins the next key.
std::size_t sequence_length(std::string_view bytes, std::size_t from, unsigned lowest, bool complete) {
    for (std::size_t i = from; i < bytes.size(); ++i) {
        if (between(bytes[i], 0x40, 0x7E)) {
            return i + 1;
        }
        if (!between(bytes[i], lowest, 0x3F)) {
            return i;
        }
    }
    return complete ? bytes.size() : 0;
}

std::size_t utf8_continuations(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 3;
    }
    return 0;
}

DecodedKey decode_escape(std::string_view bytes, bool utf8, bool complete) {
    using Kind = TerminalKey::Kind;
    if (bytes.size() == 1) {
        return complete ? taken(Kind::escape, bytes, 1) : incomplete();
    }
    std::size_t length = 0;
    if (bytes[1] == '[' && bytes.size() > 2 && bytes[2] == '[') {
        // The Linux console's F1 to F5: Esc [ [ and a letter.
        length = bytes.size() > 3 ? 4 : (complete ? bytes.size() : 0);
    } else if (bytes[1] == '[') {
        length = sequence_length(bytes, 2, 0x20, complete);
    } else if (bytes[1] == 'O') {
        length = sequence_length(bytes, 2, 0x30, complete);
    } else if (bytes[1] != escape && (between(bytes[1], 0, 0x1F) || bytes[1] == '\x7F')) {
        return taken(Kind::escape, bytes, 1);  // Esc, then a control key
    } else {
        // Alt with a key, or with a whole sequence (Esc Esc [ D).
        const DecodedKey rest = decode_terminal_key(bytes.substr(1), utf8, complete);
        if (rest.length == 0) {
            return incomplete();
        }
        if (rest.key.kind == Kind::escape) {
            return taken(Kind::escape, bytes, 1);
        }
        length = rest.length + 1;
    }
    return length == 0 ? incomplete() : taken(Kind::sequence, bytes, length);
}

std::size_t count_characters(std::string_view text, bool utf8) {
    if (!utf8) {
        return text.size();
    }
    std::size_t count = 0;
    for (const char c : text) {
        count += is_continuation(c) ? 0 : 1;
    }
    return count;
}

std::string cursor_move(std::size_t columns, char direction) {
    return columns == 0 ? std::string() : "\x1B[" + std::to_string(columns) + direction;
}

}  // namespace

DecodedKey decode_terminal_key(std::string_view bytes, bool utf8, bool complete) {
    using Kind = TerminalKey::Kind;
    if (bytes[0] == escape) {
        return decode_escape(bytes, utf8, complete);
    }
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (!utf8 || lead < 0x80) {
        return taken(Kind::character, bytes, 1);
    }
    const std::size_t continuations = utf8_continuations(lead);
    if (continuations == 0) {
        return taken(Kind::malformed, bytes, 1);
    }
    for (std::size_t i = 1; i <= continuations; ++i) {
        if (i == bytes.size()) {
            return complete ? taken(Kind::malformed, bytes, i) : incomplete();
        }
        if (!is_continuation(bytes[i])) {
            return taken(Kind::malformed, bytes, i);
        }
    }
    return taken(Kind::character, bytes, continuations + 1);
}

char scan_code_of(std::string_view sequence) {
    struct Entry {
        std::string_view sequence;
        unsigned char scan_code;
    };
    static constexpr Entry entries[] = {
        {"[A", up},    {"[B", down},    {"[C", right}, {"[D", left}, {"[H", home},     {"[F", end},
        {"OA", up},    {"OB", down},    {"OC", right}, {"OD", left}, {"OH", home},     {"OF", end},
        {"[1~", home}, {"[2~", insert}, {"[3~", del},  {"[4~", end}, {"[5~", page_up}, {"[6~", page_down},
        {"[7~", home}, {"[8~", end},    {"OP", f1},    {"OQ", f2},   {"OR", f3},       {"OS", f4},
        {"[[A", f1},   {"[[B", f2},     {"[[C", f3},   {"[[D", f4},  {"[[E", f5},      {"[15~", f5},
        {"[17~", 64},  {"[18~", 65},    {"[19~", 66},  {"[20~", 67}, {"[21~", 68},     {"[23~", 133},
        {"[24~", 134},
    };
    for (const auto& entry : entries) {
        if (sequence == entry.sequence) {
            return static_cast<char>(entry.scan_code);
        }
    }
    return 0;
}

LineEditor::LineEditor(std::string prompt_row, bool utf8) : prompt_row_(std::move(prompt_row)), utf8_(utf8) {}

std::size_t LineEditor::next_boundary(std::size_t at) const {
    if (at >= line_.size()) {
        return line_.size();
    }
    ++at;
    while (utf8_ && at < line_.size() && is_continuation(line_[at])) {
        ++at;
    }
    return at;
}

std::size_t LineEditor::previous_boundary(std::size_t at) const {
    if (at == 0) {
        return 0;
    }
    --at;
    while (utf8_ && at > 0 && is_continuation(line_[at])) {
        --at;
    }
    return at;
}

std::size_t LineEditor::characters(std::size_t from, std::size_t to) const {
    return count_characters(std::string_view(line_).substr(from, to - from), utf8_);
}

std::size_t LineEditor::byte_of(std::size_t character) const {
    std::size_t at = 0;
    for (std::size_t i = 0; i < character; ++i) {
        at = next_boundary(at);
    }
    return at;
}

std::size_t LineEditor::room(std::size_t width) const {
    constexpr std::size_t usual_width = 80;
    width = width == 0 ? usual_width : width;
    // The last column stays free for the cursor.
    const std::size_t start = count_characters(prompt_row_, utf8_) % width;
    return width > start + 2 ? width - start - 1 : 1;
}

LineEditor::Outcome LineEditor::apply(const TerminalKey& key) {
    using Kind = TerminalKey::Kind;
    if (key.kind == Kind::escape) {
        line_.clear();
        cursor_ = 0;
    } else if (key.kind == Kind::sequence) {
        switch (static_cast<unsigned char>(scan_code_of(key.bytes))) {
            case left:
                cursor_ = previous_boundary(cursor_);
                break;
            case right:
                cursor_ = next_boundary(cursor_);
                break;
            case home:
                cursor_ = 0;
                break;
            case end:
                cursor_ = line_.size();
                break;
            case del:
                line_.erase(cursor_, next_boundary(cursor_) - cursor_);
                break;
            default:
                break;  // every other key is ignored
        }
    } else if (key.kind == Kind::character) {
        switch (key.bytes[0]) {
            case '\r':
            case '\n':
                return Outcome::entered;
            case '\x7F':
            case '\b': {
                const std::size_t start = previous_boundary(cursor_);
                line_.erase(start, cursor_ - start);
                cursor_ = start;
                break;
            }
            case '\x01':  // Ctrl-A
                cursor_ = 0;
                break;
            case '\x05':  // Ctrl-E
                cursor_ = line_.size();
                break;
            case '\x15':  // Ctrl-U
                line_.clear();
                cursor_ = 0;
                break;
            case '\x04':  // Ctrl-D
                if (line_.empty()) {
                    return Outcome::input_ended;
                }
                break;
            default:
                if (!between(key.bytes[0], 0, 0x1F) && line_.size() + key.bytes.size() <= LineInput::line_limit) {
                    line_.insert(cursor_, key.bytes);
                    cursor_ += key.bytes.size();
                }
                break;
        }
    }
    return Outcome::editing;
}

std::string LineEditor::render(std::size_t width) {
    const std::size_t columns = room(width);
    const std::size_t total = characters(0, line_.size());
    const std::size_t at = characters(0, cursor_);
    // As much of the line in view as fits, and always the cursor.
    if (offset_ > 0 && total < offset_ + columns) {
        offset_ = total > columns ? total - columns : 0;
    }
    if (at < offset_) {
        offset_ = at;
    } else if (at > offset_ + columns) {
        offset_ = at - columns;
    }
    const std::size_t first = byte_of(offset_);
    std::size_t last = first;
    for (std::size_t i = 0; i < columns && last < line_.size(); ++i) {
        last = next_boundary(last);
    }
    std::string visible = line_.substr(first, last - first);
    const std::size_t visible_columns = characters(first, last);
    const std::size_t cursor_column = at - offset_;

    std::string out;
    const bool same_start = offset_ == shown_offset_;
    if (same_start && visible == shown_) {
        out = cursor_column < shown_cursor_ ? cursor_move(shown_cursor_ - cursor_column, 'D')
                                            : cursor_move(cursor_column - shown_cursor_, 'C');
    } else if (same_start && shown_cursor_ == count_characters(shown_, utf8_) && cursor_column == visible_columns &&
               visible.starts_with(shown_)) {
        out = visible.substr(shown_.size());  // typed at the end: the echo alone
    } else {
        out = cursor_move(shown_cursor_, 'D') + visible + "\x1B[K" + cursor_move(visible_columns - cursor_column, 'D');
    }
    shown_offset_ = offset_;
    shown_ = std::move(visible);
    shown_cursor_ = cursor_column;
    return out;
}

std::string LineEditor::finish(std::size_t width, std::string_view line_end) {
    if (characters(0, line_.size()) <= room(width)) {
        return render(width) + std::string(line_end);
    }
    // The whole answer from the start of its place on, wrapped by the terminal.
    return cursor_move(shown_cursor_, 'D') + line_ + std::string(line_end);
}

std::string LineEditor::redraw(std::size_t width) {
    shown_offset_ = static_cast<std::size_t>(-1);
    shown_.clear();
    shown_cursor_ = 0;
    return "\r" + prompt_row_ + render(width);
}

}  // namespace sumwright
