#include "console/line_editor.h"

#include <utility>

#include "console/key_codes.h"
#include "console/line_input.h"

namespace sumwright {
namespace {

using key_codes::ScanCode;

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

// The code point of one whole character as decode_terminal_key takes it.
char32_t code_point(std::string_view character) {
    const auto lead = static_cast<unsigned char>(character[0]);
    const std::size_t continuations = character.size() - 1;
    char32_t code = continuations == 0 ? lead : lead & (0x7FU >> (continuations + 1));
    for (const char continuation : character.substr(1)) {
        code = (code << 6U) | (static_cast<unsigned char>(continuation) & 0x3FU);
    }
    return code;
}

// The columns of a terminal `width` wide, 80 where its width is not known.
std::size_t screen_columns(std::size_t width) {
    constexpr std::size_t usual_width = 80;
    return width == 0 ? usual_width : width;
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
    } else if (bytes[1] != key_codes::escape && (between(bytes[1], 0, 0x1F) || bytes[1] == key_codes::del_character)) {
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
    if (bytes[0] == key_codes::escape) {
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
        ScanCode scan_code;
    };
    using enum ScanCode;
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

LineEditor::LineEditor(std::string prompt_row, bool utf8, AnswerHistory& history, ColumnWidth column_width,
                       bool rows_rewrap)
    : prompt_row_(std::move(prompt_row)),
      utf8_(utf8),
      history_(history),
      column_width_(column_width),
      rows_rewrap_(rows_rewrap) {
    prompt_columns_ = columns_of(prompt_row_);
    history_.begin();
}

std::size_t LineEditor::character_end(std::size_t at) const {
    if (!utf8_) {
        return at + 1;
    }
    return at + decode_terminal_key(std::string_view(line_).substr(at), utf8_, true).length;
}

std::size_t LineEditor::character_start(std::size_t end) const {
    // The line holds whole characters only: the lead byte is at most three back.
    std::size_t start = end - 1;
    while (utf8_ && start > 0 && is_continuation(line_[start])) {
        --start;
    }
    return start;
}

std::size_t LineEditor::width_at(std::size_t at) const {
    if (!utf8_) {
        return 1;
    }
    return width_of(std::string_view(line_).substr(at, character_end(at) - at));
}

std::size_t LineEditor::next_boundary(std::size_t at) const {
    if (at >= line_.size()) {
        return line_.size();
    }
    at = character_end(at);
    // Combining marks go with the character before them.
    while (at < line_.size() && width_at(at) == 0) {
        at = character_end(at);
    }
    return at;
}

std::size_t LineEditor::previous_boundary(std::size_t at) const {
    if (at == 0) {
        return 0;
    }
    std::size_t start = character_start(at);
    while (start > 0 && width_at(start) == 0) {
        start = character_start(start);
    }
    return start;
}

std::size_t LineEditor::width_of(std::string_view character) const { return column_width_(code_point(character)); }

std::size_t LineEditor::columns_of(std::string_view text, std::size_t enough) const {
    if (!utf8_) {
        return text.size();
    }
    std::size_t columns = 0;
    while (!text.empty() && columns <= enough) {
        const DecodedKey character = decode_terminal_key(text, utf8_, true);
        columns += width_of(text.substr(0, character.length));
        text.remove_prefix(character.length);
    }
    return columns;
}

std::size_t LineEditor::room(std::size_t width) const {
    width = screen_columns(width);
    // The last column stays free for the cursor.
    const std::size_t start = prompt_columns_ % width;
    return width > start + 2 ? width - start - 1 : 1;
}

std::size_t LineEditor::cursor_row(std::size_t width) const {
    width = screen_columns(width);
    const std::size_t cursor = prompt_columns_ + shown_cursor_;
    const std::size_t end = prompt_columns_ + shown_columns_;
    // Right after text that fills its last row the cursor is still on that row.
    if (cursor == end && end > 0 && end % width == 0) {
        return end / width - 1;
    }
    return cursor / width;
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
        switch (static_cast<ScanCode>(scan_code_of(key.bytes))) {
            case ScanCode::left:
                move_left();
                break;
            case ScanCode::right:
                move_right();
                break;
            case ScanCode::home:
                move_home();
                break;
            case ScanCode::end:
                move_end();
                break;
            case ScanCode::del:
                erase_forward();
                break;
            case ScanCode::up:
                recall(history_.previous());
                break;
            case ScanCode::down:
                recall(history_.next());
                break;
            default:
                break;  // every other key is ignored
        }
    } else if (key.kind == Kind::character) {
        switch (key.bytes[0]) {
            case key_codes::carriage_return:
            case key_codes::line_feed:
                history_.add(line_);
                return Outcome::entered;
            case key_codes::del_character:
            case key_codes::backspace:
                erase_back();
                break;
            case key_codes::ctrl_a:
                move_home();
                break;
            case key_codes::ctrl_e:
                move_end();
                break;
            case key_codes::ctrl_u:
                clear_line();
                break;
            case key_codes::ctrl_d:
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
    // Only what can be in view is measured: a key costs the same on a long line.
    const std::size_t columns = room(width);
    drawn_width_ = screen_columns(width);
    // As much of the line in view as fits: the view starts earlier while the
    // rest of the line from there fits.
    offset_ = std::min(offset_, cursor_);
    for (std::size_t rest = columns_of(std::string_view(line_).substr(offset_), columns); offset_ > 0;) {
        const std::size_t before = previous_boundary(offset_);
        rest += width_at(before);
        if (rest > columns) {
            break;
        }
        offset_ = before;
    }
    // And always the cursor: the view starts later while the cursor is past it.
    std::size_t start = cursor_;
    std::size_t cursor_column = 0;
    while (start > offset_) {
        const std::size_t before = previous_boundary(start);
        const std::size_t unit_columns = width_at(before);
        if (cursor_column + unit_columns > columns) {
            break;
        }
        cursor_column += unit_columns;
        start = before;
    }
    offset_ = start;
    // Outside a UTF-8 locale a byte is a column.
    std::size_t visible_columns = utf8_ ? 0 : std::min(columns, line_.size() - offset_);
    std::size_t end = offset_ + visible_columns;
    while (end < line_.size()) {
        const std::size_t unit_columns = width_at(end);
        if (visible_columns + unit_columns > columns) {
            break;
        }
        visible_columns += unit_columns;
        end = next_boundary(end);
    }
    std::string visible = line_.substr(offset_, end - offset_);

    std::string out;
    const bool same_start = offset_ == shown_offset_;
    if (same_start && visible == shown_) {
        out = cursor_column < shown_cursor_ ? cursor_move(shown_cursor_ - cursor_column, 'D')
                                            : cursor_move(cursor_column - shown_cursor_, 'C');
    } else if (same_start && shown_cursor_ == shown_columns_ && cursor_column == visible_columns &&
               visible.starts_with(shown_)) {
        out = visible.substr(shown_.size());  // typed at the end: the echo alone
    } else {
        out = cursor_move(shown_cursor_, 'D') + visible + "\x1B[K" + cursor_move(visible_columns - cursor_column, 'D');
    }
    shown_offset_ = offset_;
    shown_ = std::move(visible);
    shown_cursor_ = cursor_column;
    shown_columns_ = visible_columns;
    return out;
}

std::string LineEditor::finish(std::size_t width, std::string_view line_end) {
    if (columns_of(line_, room(width)) <= room(width)) {
        return render(width) + std::string(line_end);
    }
    // The whole answer from the start of its place on, wrapped by the terminal.
    return cursor_move(shown_cursor_, 'D') + line_ + std::string(line_end);
}

std::string LineEditor::draw_again(std::size_t rows_up, std::size_t width) {
    shown_offset_ = static_cast<std::size_t>(-1);
    shown_.clear();
    shown_cursor_ = 0;
    shown_columns_ = 0;
    // Appended piece by piece: GCC 12 at -O3 warns wrongly (-Wrestrict) on a
    // literal joined to a temporary string.
    std::string out = "\r";
    out += cursor_move(rows_up, 'A');
    out += "\x1B[J";
    out += prompt_row_;
    out += render(width);
    return out;
}

std::string LineEditor::redraw(std::size_t width) {
    return draw_again(cursor_row(drawn_width_ == 0 ? width : drawn_width_), width);
}

std::string LineEditor::redraw_on_new_row(std::size_t width) { return draw_again(0, width); }

std::string LineEditor::resized(std::size_t width) {
    // A terminal that rewraps keeps the cursor after the same text, now
    // wrapped at the new width; one that cuts keeps every row where it was
    // (before the first drawing the prompt is taken to have fitted its row).
    if (rows_rewrap_) {
        return draw_again(cursor_row(width), width);
    }
    return draw_again(drawn_width_ == 0 ? 0 : cursor_row(drawn_width_), width);
}

}  // namespace sumwright
