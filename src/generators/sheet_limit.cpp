#include "generators/subtotal_level_limit.h"

#include "text/number_text.h"

namespace sumwright {

std::optional<std::string> subtotal_level_count_problem(std::int32_t level_count) {
    if (level_count <= max_subtotal_levels) {
        return std::nullopt;
    }
    return number_text(level_count) + " columns in the group need " + number_text(std::int64_t{level_count} * 3) +
           " free columns, but a sheet has at most " + number_text(widest_sheet_columns) +
           " (limit: " + number_text(max_subtotal_levels) + " columns in the group)";
}

}  // namespace sumwright
