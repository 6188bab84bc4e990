#include "generators/sheet_limit.h"

#include <algorithm>

#include "addressing/column_letters.h"
#include "text/number_text.h"

namespace sumwright {

std::optional<std::string> column_past_sheet_problem(std::span<const ColumnRun> runs) {
    std::optional<std::string> first_name;
    std::int64_t first_number = 0;
    for (const auto& [typed, width] : runs) {
        const std::int64_t start = column_to_number(typed);
        const std::int64_t end = start + std::max<std::int64_t>(width, 1) - 1;
        if (end <= last_sheet_column) {
            continue;
        }
        // A typed name past XFD is named as typed: its number may have
        // saturated.
        const bool typed_past = start > last_sheet_column;
        const std::int64_t number = typed_past ? start : std::int64_t{last_sheet_column} + 1;
        if (!first_name || number < first_number) {
            first_number = number;
            first_name = typed_past ? normalized_column_name(typed) : number_to_column(last_sheet_column + 1);
        }
    }
    if (!first_name) {
        return std::nullopt;
    }
    return "column " + *first_name + " lies past the sheet's last column " + number_to_column(last_sheet_column) +
           " (" + number_text(last_sheet_column) + ")";
}

std::optional<std::string> subtotal_level_count_problem(std::int32_t level_count) {
    if (level_count <= max_subtotal_levels) {
        return std::nullopt;
    }
    return number_text(level_count) + " columns in the group need " + number_text(std::int64_t{level_count} * 3) +
           " free columns, but a sheet has at most " + number_text(last_sheet_column) +
           " (limit: " + number_text(max_subtotal_levels) + " columns in the group)";
}

}  // namespace sumwright
