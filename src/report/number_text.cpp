#include "report/number_text.h"

namespace sumwright {

std::string number_text(std::int64_t value) { return std::to_string(value); }

std::string number_field(std::int64_t value) { return value < 0 ? std::to_string(value) : " " + std::to_string(value); }

}  // namespace sumwright
