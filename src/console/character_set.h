#pragma once

#include <cstddef>
#include <string_view>

namespace sumwright::character_set {

// The characters a person types at a terminal, as the user's locale (LC_ALL,
// LC_CTYPE, LANG) gives them; the program's own locale stays "C", so report
// bytes are never changed. A Windows console edits lines itself and needs
// none of this.

// The keyboard sends UTF-8.
bool utf8_locale();

// The columns the terminal gives one whole UTF-8 character.
std::size_t column_width(std::string_view character);

}  // namespace sumwright::character_set
