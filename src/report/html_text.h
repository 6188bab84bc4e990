#pragma once

#include <cstddef>
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

// The same, handed over in pieces: `write(piece)` for each run of the line
// and each "amp;" put in, in order, without composing the whole line.
template <typename Write>
void write_protected(std::string_view line, Write&& write);

// Where the next "&" from `from` on is that a browser would decode; npos
// when there is none.
std::size_t next_ampersand_to_protect(std::string_view line, std::size_t from);

template <typename Write>
void write_protected(std::string_view line, Write&& write) {
    std::size_t written = 0;
    for (std::size_t ampersand = next_ampersand_to_protect(line, 0); ampersand != std::string_view::npos;
         ampersand = next_ampersand_to_protect(line, ampersand + 1)) {
        write(line.substr(written, ampersand + 1 - written));
        write(std::string_view("amp;"));
        written = ampersand + 1;
    }
    write(line.substr(written));
}

}  // namespace sumwright
