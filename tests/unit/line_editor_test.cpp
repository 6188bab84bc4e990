#include "console/line_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sumwright {
namespace {

using Kind = TerminalKey::Kind;

struct DecodeCase {
    std::string bytes;
    bool utf8;
    bool complete;
    Kind kind;
    std::string key;
    std::size_t length;  // 0: waits for more
};

class DecodeTerminalKey : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTerminalKey, TakesWholeKeysAndNothingOfTheNext) {
    const DecodeCase& c = GetParam();
    const DecodedKey decoded = decode_terminal_key(c.bytes, c.utf8, c.complete);
    EXPECT_EQ(decoded.length, c.length);
    if (c.length != 0) {
        EXPECT_EQ(decoded.key.kind, c.kind);
        EXPECT_EQ(decoded.key.bytes, c.key);
    }
}

// Length 0: the key may go on. A sequence is broken off by a byte of none
// (Enter here), which then begins the next key.
const DecodeCase decode_cases[] = {
    {"\x1B", false, false, Kind::escape, "", 0},
    {"\x1B", false, true, Kind::escape, "\x1B", 1},
    {"\x1B\r", false, false, Kind::sequence, "\r", 2},
    {"\x1B\x7F", true, true, Kind::sequence, "\x7F", 2},
    {"\x1B[1;5", false, false, Kind::sequence, "", 0},
    {"\x1B[1;5Dx", false, false, Kind::sequence, "[1;5D", 6},
    {"\x1BO5P", false, false, Kind::sequence, "O5P", 4},
    {"\x1B[2\r", false, false, Kind::sequence, "[2", 3},
    {"\x1B\x1B[D", false, false, Kind::sequence, "\x1B[D", 4},
    {"\x1B\xC3\xA9", true, false, Kind::sequence, "\xC3\xA9", 3},
    {"\xC3\xA9", false, false, Kind::character, "\xC3", 1},
    {"\xE2\x82", true, false, Kind::character, "", 0},
    {"\xE2\x82", true, true, Kind::malformed, "\xE2\x82", 2},
    {"\xC3x", true, false, Kind::malformed, "\xC3", 1},
    {"\xA9", true, false, Kind::malformed, "\xA9", 1},
};

INSTANTIATE_TEST_SUITE_P(Keys, DecodeTerminalKey, testing::ValuesIn(decode_cases));

// One row of a terminal, as long as needed: enough of a screen to see what
// the editor draws.
class Row {
public:
    void show(std::string_view bytes) {
        for (std::size_t i = 0; i < bytes.size();) {
            if (bytes[i] == '\x1B') {
                const std::size_t final = bytes.find_first_of("CDJK", i);
                const std::size_t count = final > i + 2 ? std::stoul(std::string(bytes.substr(i + 2))) : 0;
                if (bytes[final] == 'K' || bytes[final] == 'J') {
                    cells_.resize(std::min(cells_.size(), column_));
                } else {
                    column_ = bytes[final] == 'C' ? column_ + count : column_ - std::min(column_, count);
                }
                i = final + 1;
                continue;
            }
            std::size_t length = 1;
            while (i + length < bytes.size() && (bytes[i + length] & 0xC0) == 0x80) {
                ++length;
            }
            if (bytes[i] == '\r') {
                column_ = 0;
            } else if (bytes[i] != '\n') {
                cells_.resize(std::max(cells_.size(), column_ + 1));
                cells_[column_++] = std::string(bytes.substr(i, length));
            }
            i += length;
        }
    }
    [[nodiscard]] std::string text() const {
        std::string text;
        for (const std::string& cell : cells_) {
            text += cell;
        }
        return text;
    }
    [[nodiscard]] std::size_t column() const { return column_; }

private:
    std::vector<std::string> cells_;
    std::size_t column_ = 0;
};

constexpr std::size_t width = 12;

std::size_t one_column(char32_t /*character*/) { return 1; }  // 8 columns for the answer after "P? "

struct Step {
    std::vector<TerminalKey> keys;
    std::string row;
    std::size_t column;
};

std::vector<TerminalKey> typed(std::string_view text) {
    std::vector<TerminalKey> keys;
    for (const char c : text) {
        keys.push_back({Kind::character, std::string(1, c)});
    }
    return keys;
}

TEST(LineEditor, ALongLineScrollsSidewaysAndIsWrittenWholeWhenEntered) {
    const TerminalKey left{Kind::sequence, "[D"};
    // The keys of a step come together, as typed-ahead or pasted keys do.
    const std::vector<Step> steps{
        {typed("abcdefghij"), "P? cdefghij", 11},
        {{{Kind::sequence, "[1~"}}, "P? abcdefgh", 3},
        {{{Kind::character, "\x05"}, left, left, left}, "P? abcdefgh", 10},
        {std::vector<TerminalKey>(6, {Kind::character, "\x7F"}), "P? ahij", 4},
        {{{Kind::sequence, "OF"}, {Kind::character, "\xC3\xA9"}}, "P? ahij\xC3\xA9", 8},
        {typed("klmnopq"), "P? \xC3\xA9klmnopq", 11},
        {typed("\x15xy"), "P? xy", 5},
    };
    AnswerHistory history;
    LineEditor editor("P? ", true, history, one_column);
    Row row;
    row.show("P? ");
    for (const Step& step : steps) {
        for (const TerminalKey& key : step.keys) {
            EXPECT_EQ(editor.apply(key), LineEditor::Outcome::editing);
        }
        row.show(editor.render(width));
        EXPECT_EQ(row.text(), step.row);
        EXPECT_EQ(row.column(), step.column);
    }
    for (const TerminalKey& key : typed("0123456789")) {
        editor.apply(key);
    }
    EXPECT_EQ(editor.apply({Kind::character, "\r"}), LineEditor::Outcome::entered);
    row.show(editor.finish(width, "\r\n"));
    EXPECT_EQ(row.text(), "P? xy0123456789");
    EXPECT_EQ(editor.line(), "xy0123456789");
}

struct RedrawCase {
    bool rows_rewrap;
    std::string typed;
    std::size_t drawn_width;  // 0: nothing drawn since the prompt
    std::size_t width;        // the width after a resize, or 0 for a continue
    std::size_t rows_up;
};

class Redraw : public testing::TestWithParam<RedrawCase> {};

// The prompt row starts at the row the cursor went up to, and is drawn once.
TEST_P(Redraw, StartsAtThePromptRowsFirstRow) {
    const RedrawCase& c = GetParam();
    const std::string prompt(40, 'p');  // as long as each subtotal prompt row
    AnswerHistory history;
    LineEditor editor(prompt, true, history, one_column, c.rows_rewrap);
    for (const TerminalKey& key : typed(c.typed)) {
        editor.apply(key);
    }
    if (c.drawn_width != 0) {
        editor.render(c.drawn_width);
    }
    const std::string out = c.width == 0 ? editor.redraw(c.drawn_width) : editor.resized(c.width);
    const std::string up = c.rows_up == 0 ? "" : "\x1B[" + std::to_string(c.rows_up) + "A";
    EXPECT_EQ(out, "\r" + up + "\x1B[J" + prompt + c.typed + "\x1B[K");
}

// A cursor right after text that fills its row exactly is still on that row.
const RedrawCase redraw_cases[] = {
    {true, "", 0, 40, 0},    {true, "", 0, 20, 1},  {true, "", 40, 20, 1},
    {true, "D", 20, 0, 2},   {true, "", 20, 0, 1},  {true, "D", 20, 40, 1},
    {false, "D", 20, 40, 2}, {false, "", 0, 20, 0}, {false, "", 40, 20, 0},
};

INSTANTIATE_TEST_SUITE_P(Rows, Redraw, testing::ValuesIn(redraw_cases));

}  // namespace
}  // namespace sumwright
