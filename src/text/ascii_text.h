#pragma once

#include <string>
#include <string_view>

namespace sumwright {

// Byte-wise text helpers: only the ASCII letters change case, every other
// byte (those of other encodings included) stays as it is.

// The letters a to z become A to Z.
void upper_case(std::string& text);
std::string upper_cased(std::string_view text);

// The letters A to Z become a to z.
void lower_case(std::string& text);

// The text without the spaces (not tabs) at both ends.
std::string_view trim_spaces(std::string_view text);

}  // namespace sumwright
