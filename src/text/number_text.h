#pragma once

#include <cstdint>
#include <string>

namespace sumwright {

// The digits with a leading "-" only when negative ("2", "-3"): used inside
// formulas, cell names and step lines.
std::string number_text(std::int64_t value);

// A space for zero and above or "-" below, then the digits (" 2", "-3"): used
// where a number is echoed on its own.
std::string number_field(std::int64_t value);

}  // namespace sumwright
