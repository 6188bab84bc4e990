#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sumwright {

// The last column of today's sheets, XFD: no report names a column past it.
inline constexpr std::int32_t last_sheet_column = 16384;

// Every level of a subtotal fills three free columns (marker, label, sum), so
// a report with more levels than this fits no sheet, wherever it starts.
inline constexpr std::int32_t max_subtotal_levels = last_sheet_column / 3;

// Columns a report names from one typed column on: that column and the
// `width - 1` columns to its right (the typed column alone for a width of 1
// or less).
struct ColumnRun {
    std::string_view typed;
    std::int64_t width = 1;
};

// Why no report can name these columns: the first column past XFD (in the
// sheet's order), named beside XFD; nothing when none lies past it. Columns
// below A are not looked at. A typed column counts both as converted and as
// a formula holding it as typed refers to it, by the letters it begins with
// ("XFE1" is XFE there).
std::optional<std::string> column_past_sheet_problem(std::span<const ColumnRun> runs);

// Why a subtotal of `level_count` levels cannot be written, naming the count
// and the limit; nothing for a count up to the limit (also zero or less).
std::optional<std::string> subtotal_level_count_problem(std::int32_t level_count);

}  // namespace sumwright
