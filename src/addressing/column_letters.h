#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sumwright {

// Spreadsheet column letters <-> column numbers counted from 1 ("A" is 1,
// "AA" is 27, "ZZ" is 702, "AAA" is 703, "XFD" is 16384). Nothing is
// validated: any text and any number give a result, by the same arithmetic
// that covers the real column names.

// Trims spaces (not tabs) at both ends and upper-cases a-z, as the conversion
// to a number does before it looks at the characters.
std::string normalized_column_name(std::string_view letters);

// Two characters c1 c2 give (c1 - 64) * 26 + (c2 - 64); three or more letters
// A-Z give their column (saturating at the 32-bit limit); any other text
// gives the first character's code less 64 (the empty text gives -64).
std::int32_t column_to_number(std::string_view letters);

// Inverse of column_to_number for every number from 1 on (703 is "AAA");
// below 1 it is a single character of code (n mod 26) + 64.
std::string number_to_column(std::int32_t number);

// The column `offset` places to the right of `letters`: letters to number,
// plus the offset (saturating at the 32-bit limits), back to letters.
std::string column_offset(std::string_view letters, std::int64_t offset);

}  // namespace sumwright
