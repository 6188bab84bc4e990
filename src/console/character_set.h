#pragma once

#include <cstddef>
#include <string_view>

namespace sumwright::character_set {

// The characters a person types at a terminal, as the user's locale (LC_ALL,
// LC_CTYPE, LANG) gives them; the program's own locale stays "C", so report
// bytes are never changed. A Windows console edits lines itself and needs
// none of this.

// The keyboard sends UTF-8: the locale's codeset says so where the locale is
// installed; where it is not, the codeset in its name does.
bool utf8_locale();

// The columns the terminal gives one character.
std::size_t column_width(char32_t character);

// Whether a locale name (language_territory.codeset@modifier) names UTF-8,
// as ".UTF-8" or ".utf8" in any case.
bool names_utf8(std::string_view locale_name);

// The locale name that the environment gives the character type: the first
// of LC_ALL, LC_CTYPE and LANG that is set and not empty; empty without one.
std::string_view locale_name_in_environment();

}  // namespace sumwright::character_set
