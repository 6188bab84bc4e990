#pragma once

#include <cstdint>
#include <string>

namespace sumwright {

// The four answers both SUMIF generators ask for, as the console gave them.
struct SumifAnswers {
    std::string group_column;
    std::string data_column;
    std::int32_t first_row = 0;
    std::string free_column;
};

}  // namespace sumwright
