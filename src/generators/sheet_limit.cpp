#include "generators/sheet_limit.h"

#include <algorithm>

#include "addressing/column_letters.h"
#include "text/number_text.h"

namespace sumwright {
namespace {

// The column a formula refers to where the answer stands in it as typed (upper-cased
// with the formula): the letters that begin it, after an absolute reference's "$".
// "XFE1", "xfe." and "$XFE" all refer to XFE; "1XFE" refers to none.
std::string referenced_column_letters(std::string_view typed) {
    std::string name = normalized_column_name(typed);
    const std::size_t first = name.starts_with('$') ? 1 : 0;
    std::size_t end = first;
    while (end < name.size() && name[end] >= 'A' && name[end] <= 'Z') {
        ++end;
    }
    return name.substr(first, end - first);
}

}  // namespace

std::optional<std::string> column_past_sheet_problem(std::span<const ColumnRun> runs) {
    std::optional<std::string> first_name;
    std::int64_t first_number = 0;
    const auto take = [&](std::int64_t number, std::string name) {
        if (!first_name || number < first_number) {
            first_number = number;
            first_name = std::move(name);
        }
    };
    for (const auto& [typed, width] : runs) {
        // A typed name past XFD is named by its letters: its number may have
        // saturated.
        std::string letters = referenced_column_letters(typed);
        const std::int64_t referenced = letters.empty() ? 0 : column_to_number(letters);
        if (referenced > last_sheet_column) {
            take(referenced, std::move(letters));
        }
        const std::int64_t start = column_to_number(typed);
        const std::int64_t end = start + std::max<std::int64_t>(width, 1) - 1;
        if (start <= last_sheet_column && end > last_sheet_column) {
            take(std::int64_t{last_sheet_column} + 1, number_to_column(last_sheet_column + 1));
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
