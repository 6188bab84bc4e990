#pragma once

#include <string>
#include <string_view>

namespace sumwright {

// The line as a browser must receive it to show it as written: every "&"
// that a browser would decode as the start of a character reference becomes
// "&amp;" (one followed by "#", or by a name of HTML's table that upper-case
// text can hold, such as "GT" in `"&GT2&"`). Every other byte stays as it is,
// so `"<<<  "&J2;""` is written unchanged. The line is taken to hold no
// lower-case letters after an "&", as every report line does.
std::string protect_character_references(std::string_view line);

}  // namespace sumwright
