#include "generators/sheet_limit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "generators/subtotal_generator.h"
#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"

namespace sumwright {
namespace {

std::string past(const std::string& column) {
    return "column " + column + " lies past the sheet's last column XFD (16384)";
}

// A subtotal (levels 1 or more) or a SUMIF variant (levels 0 for 01, -2 for
// 02): the first column typed, the data column, the free column.
struct SheetCase {
    const char* first;
    std::int32_t levels;
    const char* data;
    const char* free;
    std::optional<std::string> problem;
};

class SheetProblem : public testing::TestWithParam<SheetCase> {};

TEST_P(SheetProblem, OfTheAnswers) {
    const auto& [first, levels, data, free, problem] = GetParam();
    const SumifAnswers sumif{first, data, 2, free};
    EXPECT_EQ(levels > 0    ? subtotal_sheet_problem({first, levels, data, 2, free})
              : levels == 0 ? sumif_01_sheet_problem(sumif)
                            : sumif_02_sheet_problem(sumif),
              problem)
        << first << " " << levels << " " << data << " " << free;
}

INSTANTIATE_TEST_SUITE_P(
    Borders, SheetProblem,
    testing::Values(
        // Three free columns a level: from F, N levels reach F + 3N - 1.
        SheetCase{"A", 5461, "B", "B", std::nullopt}, SheetCase{"A", 5461, "B", "C", past("XFE")},
        SheetCase{"ZY", 300, "ZX", "ZZ", std::nullopt}, SheetCase{"A", 2, "b", "xfc", past("XFE")},
        SheetCase{"xfc", 2, "B", "C", std::nullopt}, SheetCase{"xfd", 2, "B", "C", past("XFE")},
        SheetCase{"A", 1, " xfz ", "C", past("XFZ")}, SheetCase{"ZZZZZZZZ", 1, "B", "C", past("ZZZZZZZZ")},
        SheetCase{"1", 5000, "@", "-", std::nullopt},  // columns below A are not looked at
        // A formula holding a typed column refers to the letters it begins with.
        SheetCase{"XFE1", 0, "B", "C", past("XFE")}, SheetCase{"A", -2, "xfe.", "C", past("XFE")},
        SheetCase{"XFE\t", 1, "B", "C", past("XFE")}, SheetCase{"A", 0, "B", " $xfz9", past("XFZ")},
        SheetCase{"XFD9", 0, "$xfd.", "1XFE", std::nullopt},
        // More levels than any sheet takes, wherever the free area starts.
        SheetCase{"A", 5462, "B", "1",
                  "5462 columns in the group need 16386 free columns, but a sheet has at most 16384 "
                  "(limit: 5461 columns in the group)"},
        SheetCase{"A", 2147483647, "B", "C",
                  "2147483647 columns in the group need 6442450941 free columns, but a sheet has at most 16384 "
                  "(limit: 5461 columns in the group)"},
        // Variant 01 fills nine free columns, variant 02 ten.
        SheetCase{"AAA", 0, "ABC", "XEV", std::nullopt}, SheetCase{"A", 0, "B", "XEW", past("XFE")},
        SheetCase{"A", -2, "B", "XEU", std::nullopt}, SheetCase{"A", -2, "B", "XEV", past("XFE")},
        // The first column past XFD in the sheet's order.
        SheetCase{"XFZ", 0, "XFF", "C", past("XFF")}, SheetCase{"A", -2, "XFZ", "XFD", past("XFE")}));

}  // namespace
}  // namespace sumwright
