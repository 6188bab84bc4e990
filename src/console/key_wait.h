#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "console/console.h"

namespace sumwright {

// Prints the option lines once, then waits until one of the accepted keys
// ("1", "2", "3", "9") is pressed and returns it. Every other key, extended
// keys included, is dropped silently. Throws InputEnded at end of input.
std::string wait_for_key(Console& console, std::initializer_list<std::string_view> option_lines,
                         std::initializer_list<std::string_view> accepted_keys);

// Prints the option line once and returns the first key pressed, whatever it
// is. Throws InputEnded at end of input.
std::string wait_for_any_key(Console& console, std::string_view option_line);

}  // namespace sumwright
