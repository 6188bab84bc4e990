#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/console.h"

namespace sumwright {

constexpr std::size_t text_answer_limit = 4096;
constexpr std::size_t number_answer_limit = 67;

// The text a typed line gives: leading blanks skipped; a leading double quote
// takes everything up to the next one (commas included); otherwise the text
// runs to the first comma, trailing blanks kept. At most 4096 characters.
std::string text_answer(std::string_view line);

// The number a typed line gives: the first blank-, tab- or comma-delimited
// field, quotes dropped, at most 67 characters. A field with a point or an
// exponent letter (e, E, d, D) is a decimal number rounded half to even;
// "&H", "&O" and "&B" introduce hexadecimal, octal and binary digits;
// otherwise the leading signed decimal digits count. No digits give 0, and
// values past the 32-bit range stop at its limits.
std::int32_t number_answer(std::string_view line);

// Shows the prompt followed by "? " (only on an interactive console), reads
// one line and leaves the cursor on a fresh line. Throws InputEnded.
std::string prompt_text(Console& console, std::string_view prompt);
std::int32_t prompt_number(Console& console, std::string_view prompt);

}  // namespace sumwright
