// Bytes typed at a prompt on a terminal, taken as keys and edited.
//
// Input: the first byte gives the terminal's width (its upper seven bits, 0
// for a width not known) and the locale (its lowest bit: UTF-8); the rest is
// what the keyboard sent.

#include <cstdint>
#include <string>
#include <string_view>

#include "console/line_editor.h"
#include "fuzz_check.h"

namespace {

using sumwright::AnswerHistory;
using sumwright::decode_terminal_key;
using sumwright::DecodedKey;
using sumwright::LineEditor;

// Wide characters take two columns, combining marks none.
std::size_t column_width(char32_t character) {
    return character >= 0x300 && character < 0x380 ? 0 : character >= 0x1000 ? 2 : 1;
}

// Whole UTF-8 characters only (or any bytes outside a UTF-8 locale), and no
// control byte: nothing of an escape sequence or of an editing key.
bool is_answer_text(std::string_view line, bool utf8) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte < 0x20 || byte == 0x7F) {
            return false;
        }
        if (!utf8 || byte < 0x80) {
            continue;
        }
        const std::size_t continuations = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC2 ? 1 : 0;
        if (continuations == 0 || i + continuations >= line.size()) {
            return false;
        }
        for (std::size_t j = 1; j <= continuations; ++j) {
            if ((static_cast<unsigned char>(line[i + j]) & 0xC0U) != 0x80U) {
                return false;
            }
        }
        i += continuations;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool utf8 = (data[0] & 1U) != 0;
    const std::size_t width = data[0] >> 1U;
    std::string_view typed(reinterpret_cast<const char*>(data) + 1, size - 1);
    AnswerHistory history;
    history.add("earlier answer");
    LineEditor editor("Column name for creating groups = ? ", utf8, history, column_width);
    auto outcome = LineEditor::Outcome::editing;
    while (!typed.empty() && outcome == LineEditor::Outcome::editing) {
        const DecodedKey early = decode_terminal_key(typed, utf8, false);
        const DecodedKey decoded = decode_terminal_key(typed, utf8, true);
        FUZZ_CHECK(decoded.length > 0 && decoded.length <= typed.size(), "all that came gives a key");
        FUZZ_CHECK(early.length == 0 || early.length == decoded.length, "a key taken early is the same key");
        typed.remove_prefix(decoded.length);
        outcome = editor.apply(decoded.key);
        editor.render(width);
        FUZZ_CHECK(is_answer_text(editor.line(), utf8), "no escape sequence, no broken character in an answer");
    }
    editor.redraw(width);
    editor.resized(width / 2);
    editor.finish(width, "\r\n");
    return 0;
}
