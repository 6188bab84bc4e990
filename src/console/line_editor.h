#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace sumwright {

// One key as a terminal sends it.
struct TerminalKey {
    enum class Kind {
        character,  // one character: a byte, or a whole UTF-8 character
        escape,     // Esc alone
        sequence,   // an escape sequence (arrows, function keys, Alt with a key)
        malformed,  // bytes of no whole character in a UTF-8 locale
    };
    Kind kind = Kind::character;
    // The character's bytes, or the sequence without its leading Esc.
    std::string bytes;
};

struct DecodedKey {
    TerminalKey key;
    // Bytes the key takes from the input; 0 when its rest may still come.
    std::size_t length = 0;
};

// Decodes the key at the start of `bytes` (not empty). Escape sequences are
// taken whole, in the CSI and SS3 forms of xterm, tmux and the Linux console.
// With `complete` false a key whose rest may still come gives length 0; with
// true, what is there is taken as it is (an Esc alone is then the Esc key).
DecodedKey decode_terminal_key(std::string_view bytes, bool utf8, bool complete);

// The scan code a Windows console reports for the key behind an escape
// sequence (without its Esc); 0 for sequences without a counterpart.
char scan_code_of(std::string_view sequence);

// The answers typed so far in a run, for Up and Down at the next prompts,
// as the Windows console keeps them: an empty answer and one equal to the
// newest are not stored. Up at a fresh prompt recalls the newest, each
// further Up the one before; Down the one after. Neither goes past the
// oldest or the newest answer: there the line stays as it is.
class AnswerHistory {
public:
    void add(const std::string& answer);
    // A fresh prompt: nothing recalled yet.
    void begin();
    // The answer recalled, or nothing where there is none to go to.
    const std::string* previous();
    const std::string* next();

private:
    std::vector<std::string> answers_;
    std::size_t recalled_ = 0;  // answers_.size() while none is
};

// The columns a terminal gives one character (a code point): 2 for a wide
// one, 0 for a combining mark.
using ColumnWidth = std::size_t (*)(char32_t character);

// The editing of one typed answer on a terminal, as the Windows console edits
// a line: keys in, bytes for the terminal out. The answer is drawn on the
// prompt's row after the prompt; a line too long for the row scrolls
// sideways, and once it is entered it is written out whole, so that the
// screen then shows it as the terminal's own echo would have.
class LineEditor {
public:
    enum class Outcome { editing, entered, input_ended };

    // `prompt_row` is the text already on the cursor's row. In a UTF-8
    // locale a character of several bytes is edited as one, and so is a
    // character with the combining marks after it. `rows_rewrap`: the
    // terminal rewraps a row when its width changes, rather than cutting it.
    LineEditor(std::string prompt_row, bool utf8, AnswerHistory& history, ColumnWidth column_width,
               bool rows_rewrap = true);

    Outcome apply(const TerminalKey& key);
    // Bytes that bring the screen up to date with the line, for a terminal
    // `width` columns wide.
    std::string render(std::size_t width);
    // Bytes that leave the whole answer on the screen and end its row.
    std::string finish(std::size_t width, std::string_view line_end);
    // Bytes that draw the prompt's row and the line anew from the start of
    // the prompt's row (the cursor being where the editor left it), or on an
    // empty row the cursor is at the start of.
    std::string redraw(std::size_t width);
    // Bytes that draw them anew on the row the cursor is at the start of,
    // whatever was drawn before.
    std::string redraw_on_new_row(std::size_t width);
    // Bytes that draw them anew after the terminal became `width` columns
    // wide.
    std::string resized(std::size_t width);

    [[nodiscard]] const std::string& line() const { return line_; }

private:
    void move_left();
    void move_right();
    void move_home();
    void move_end();
    void erase_back();
    void erase_forward();
    void clear_line();
    void recall(const std::string* answer);
    void insert(const std::string& text);

    // A unit is one character with the combining marks after it: one place
    // on the screen. Positions are byte indexes into the line.
    [[nodiscard]] std::size_t character_end(std::size_t at) const;
    [[nodiscard]] std::size_t character_start(std::size_t end) const;
    [[nodiscard]] std::size_t width_at(std::size_t at) const;
    [[nodiscard]] std::size_t next_boundary(std::size_t at) const;
    [[nodiscard]] std::size_t previous_boundary(std::size_t at) const;
    [[nodiscard]] std::size_t width_of(std::string_view character) const;
    // The columns of `text`, counted until they exceed `enough`.
    [[nodiscard]] std::size_t columns_of(std::string_view text,
                                         std::size_t enough = std::numeric_limits<std::size_t>::max()) const;
    [[nodiscard]] std::size_t room(std::size_t width) const;
    // How many rows below the prompt row's first the cursor is, with the
    // prompt and the line shown as one row wrapped at `width`.
    [[nodiscard]] std::size_t cursor_row(std::size_t width) const;
    std::string draw_again(std::size_t rows_up, std::size_t width);

    std::string prompt_row_;
    std::size_t prompt_columns_ = 0;
    bool utf8_;
    AnswerHistory& history_;
    ColumnWidth column_width_;
    bool rows_rewrap_;
    std::string line_;
    std::size_t cursor_ = 0;  // at a unit's start
    std::size_t offset_ = 0;  // the first unit in view
    // What the screen shows: its first unit, bytes, columns and cursor
    // column, and the terminal's width then (0 before the first drawing).
    std::size_t shown_offset_ = 0;
    std::string shown_;
    std::size_t shown_columns_ = 0;
    std::size_t shown_cursor_ = 0;
    std::size_t drawn_width_ = 0;
};

}  // namespace sumwright
