#pragma once

#include <string>
#include <string_view>

namespace sumwright {

// The line as a browser must receive it to show it as written: every "&"
// that a browser would take for the start of a character reference becomes
// "&amp;" (one followed by "#", by letters and digits ending in ";", or by a
// name that browsers decode even without a semicolon, such as "GT" in
// `"&GT2&"`). Every other byte stays as it is.
std::string protect_character_references(std::string_view line);

}  // namespace sumwright
