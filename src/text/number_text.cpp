#include "text/number_text.h"

namespace sumwright {

std::string number_text(std::int64_t value) { return std::to_string(value); }

std::string number_field(std::int64_t value) {
    // Built by appending: gcc 12 at -O3 takes " " + text for an overlapping
    // copy and warns.
    std::string field(value < 0 ? "" : " ");
    field.append(std::to_string(value));
    return field;
}

}  // namespace sumwright
