#include "console/line_editor.h"

#include <utility>

#include "console/key_codes.h"
#include "console/line_input.h"

namespace sumwright {
namespace {

using namespace key_codes;

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
    } else if (bytes[1] != escape && (between(bytes[1], 0, 0x1F) || bytes[1] == del_character)) {
        length = 2;  // Alt with a control key (Enter, Backspace, Tab)
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
        {"[17~", f6},  {"[18~", f7},    {"[19~", f8},  {"[20~", f9}, {"[21~", f10},    {"[23~", f11},
        {"[24~", f12},
    };
    for (const auto& entry : entries) {
        if (sequence == entry.sequence) {
            return static_cast<char>(entry.scan_code);
        }
    }
    return 0;
}

void AnswerHistory::add(const std::string& answer) {
    if (!answer.empty() && (answers_.empty() || answers_.back() != answer)) {
        answers_.push_back(answer);
    }
}

void AnswerHistory::begin() { recalled_ = answers_.size(); }

const std::string* AnswerHistory::previous() {
    if (recalled_ == 0) {
        return nullptr;
    }
    return &answers_[--recalled_];
}

const std::string* AnswerHistory::next() {
    if (recalled_ + 1 >= answers_.size()) {
        return nullptr;
    }
    return &answers_[++recalled_];
}

LineEditor::LineEditor(std::string prompt_row, bool utf8, AnswerHistory& history, ColumnWidth column_width)
    : prompt_row_(std::move(prompt_row)), utf8_(utf8), history_(history), column_width_(column_width) {
    history_.begin();
}

std::size_t LineEditor::next_boundary(std::size_t at) const {
    if (at >= line_.size()) {
        return line_.size();
    }
    const DecodedKey first = decode_terminal_key(std::string_view(line_).substr(at), utf8_, true);
    at += first.length;
    // Combining marks go with the character before them.
    while (at < line_.size()) {
        const DecodedKey mark = decode_terminal_key(std::string_view(line_).substr(at), utf8_, true);
        if (width_of(mark.key.bytes) != 0) {
            break;
        }
        at += mark.length;
    }
    return at;
}

std::size_t LineEditor::previous_boundary(std::size_t at) const {
    std::size_t start = 0;
    for (std::size_t next = 0; next < at; next = next_boundary(next)) {
        start = next;
    }
    return start;
}

std::size_t LineEditor::width_of(std::string_view character) const { return utf8_ ? column_width_(character) : 1; }

std::size_t LineEditor::columns_of(std::string_view text) const {
    std::size_t columns = 0;
    while (!text.empty()) {
        const DecodedKey character = decode_terminal_key(text, utf8_, true);
        columns += width_of(character.key.bytes);
        text.remove_prefix(character.length);
    }
    return columns;
}

std::vector<LineEditor::Unit> LineEditor::units() const {
    std::vector<Unit> units{{0, 0}};
    while (units.back().byte < line_.size()) {
        const std::size_t at = units.back().byte;
        const std::size_t next = next_boundary(at);
        units.push_back({next, units.back().column + columns_of(std::string_view(line_).substr(at, next - at))});
    }
    return units;
}

std::size_t LineEditor::room(std::size_t width) const {
    constexpr std::size_t usual_width = 80;
    width = width == 0 ? usual_width : width;
    // The last column stays free for the cursor.
    const std::size_t start = columns_of(prompt_row_) % width;
    return width > start + 2 ? width - start - 1 : 1;
}

void LineEditor::move_left() { cursor_ = previous_boundary(cursor_); }

void LineEditor::move_right() { cursor_ = next_boundary(cursor_); }

void LineEditor::move_home() { cursor_ = 0; }

void LineEditor::move_end() { cursor_ = line_.size(); }

void LineEditor::erase_back() {
    const std::size_t start = previous_boundary(cursor_);
    line_.erase(start, cursor_ - start);
    cursor_ = start;
}

void LineEditor::erase_forward() { line_.erase(cursor_, next_boundary(cursor_) - cursor_); }

void LineEditor::clear_line() {
    line_.clear();
    cursor_ = 0;
}

void LineEditor::recall(const std::string* answer) {
    if (answer != nullptr) {
        line_ = *answer;
        cursor_ = line_.size();
    }
}

void LineEditor::insert(const std::string& text) {
    if (line_.size() + text.size() <= LineInput::line_limit) {
        line_.insert(cursor_, text);
        cursor_ += text.size();
    }
}

LineEditor::Outcome LineEditor::apply(const TerminalKey& key) {
    using Kind = TerminalKey::Kind;
    if (key.kind == Kind::escape) {
        clear_line();
    } else if (key.kind == Kind::sequence) {
        switch (static_cast<unsigned char>(scan_code_of(key.bytes))) {
            case left:
                move_left();
                break;
            case right:
                move_right();
                break;
            case home:
                move_home();
                break;
            case end:
                move_end();
                break;
            case del:
                erase_forward();
                break;
            case up:
                recall(history_.previous());
                break;
            case down:
                recall(history_.next());
                break;
            default:
                break;  // every other key is ignored
        }
    } else if (key.kind == Kind::character) {
        switch (key.bytes[0]) {
            case carriage_return:
            case line_feed:
                history_.add(line_);
                return Outcome::entered;
            case del_character:
            case backspace:
                erase_back();
                break;
            case ctrl_a:
                move_home();
                break;
            case ctrl_e:
                move_end();
                break;
            case ctrl_u:
                clear_line();
                break;
            case ctrl_d:
                if (line_.empty()) {
                    return Outcome::input_ended;
                }
                break;
            default:
                if (!between(key.bytes[0], 0, 0x1F)) {
                    insert(key.bytes);
                }
                break;
        }
    }
    return Outcome::editing;
}

std::string LineEditor::render(std::size_t width) {
    const std::size_t columns = room(width);
    const std::vector<Unit> all = units();
    const std::size_t last_unit = all.size() - 1;
    std::size_t at = 0;
    while (all[at].byte < cursor_) {
        ++at;
    }
    // Columns from unit `from` up to unit `to`.
    const auto span = [&](std::size_t from, std::size_t to) { return all[to].column - all[from].column; };
    // As much of the line in view as fits, and always the cursor.
    offset_ = std::min(offset_, at);
    while (offset_ > 0 && span(offset_ - 1, last_unit) <= columns) {
        --offset_;
    }
    while (offset_ < at && span(offset_, at) > columns) {
        ++offset_;
    }
    std::size_t end = offset_;
    while (end < last_unit && span(offset_, end + 1) <= columns) {
        ++end;
    }
    const std::size_t visible_columns = span(offset_, end);
    std::string visible = line_.substr(all[offset_].byte, all[end].byte - all[offset_].byte);
    const std::size_t cursor_column = span(offset_, at);

    std::string out;
    const bool same_start = offset_ == shown_offset_;
    if (same_start && visible == shown_) {
        out = cursor_column < shown_cursor_ ? cursor_move(shown_cursor_ - cursor_column, 'D')
                                            : cursor_move(cursor_column - shown_cursor_, 'C');
    } else if (same_start && shown_cursor_ == columns_of(shown_) && cursor_column == visible_columns &&
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
    if (columns_of(line_) <= room(width)) {
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

std::string LineEditor::resized(std::size_t width) {
    // The terminal rewraps the row at the new width; the cursor stays after
    // the same text, on a later row where the text no longer fits.
    const std::size_t cursor = columns_of(prompt_row_) + shown_cursor_;
    const std::size_t rows_up = width == 0 ? 0 : cursor / width;
    // Appended piece by piece: GCC 12 at -O3 warns wrongly (-Wrestrict) on a
    // literal joined to a temporary string.
    std::string out = "\r";
    out += cursor_move(rows_up, 'A');
    out += "\x1B[J";
    out += redraw(width);
    return out;
}

}  // namespace sumwright
