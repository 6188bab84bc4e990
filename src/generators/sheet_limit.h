#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sumwright {

// The columns of the widest sheet any spreadsheet program offers (A to XFD).
inline constexpr std::int64_t widest_sheet_columns = 16384;

// Every level of a subtotal fills three free columns (marker, label, sum), so
// a report with more levels than this cannot be pasted into any sheet.
inline constexpr std::int32_t max_subtotal_levels = widest_sheet_columns / 3;

// Why a subtotal of `level_count` levels cannot be written, naming the count
// and the limit; nothing for a count up to the limit (also zero or less).
std::optional<std::string> subtotal_level_count_problem(std::int32_t level_count);

}  // namespace sumwright
