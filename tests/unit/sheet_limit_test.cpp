#include "generators/sheet_limit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
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

struct SheetCase {
    const char* kind;  // "subtotal", "01" or "02"
    // Subtotal: start sort, levels, data, free; SUMIF: group, data, free.
    const char* first;
    std::int32_t levels;
    const char* data;
    const char* free;
    std::optional<std::string> problem;
};

void PrintTo(const SheetCase& c, std::ostream* out) {
    *out << c.kind << " " << c.first << " " << c.levels << " " << c.data << " " << c.free;
}

class SheetProblem : public testing::TestWithParam<SheetCase> {};

TEST_P(SheetProblem, OfTheAnswers) {
    const SheetCase& c = GetParam();
    const std::string kind = c.kind;
    if (kind == "subtotal") {
        EXPECT_EQ(subtotal_sheet_problem({c.first, c.levels, c.data, 2, c.free}), c.problem);
    } else {
        const SumifAnswers answers{c.first, c.data, 2, c.free};
        EXPECT_EQ(kind == "01" ? sumif_01_sheet_problem(answers) : sumif_02_sheet_problem(answers), c.problem);
    }
}

constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Borders, SheetProblem,
    testing::Values(
        // Three free columns a level: from F, N levels reach F + 3N - 1.
        SheetCase{"subtotal", "A", 5461, "B", "B", std::nullopt},
        SheetCase{"subtotal", "A", 5461, "B", "C", past("XFE")},
        SheetCase{"subtotal", "ZY", 300, "ZX", "ZZ", std::nullopt},
        SheetCase{"subtotal", "A", 2, "b", "xfc", past("XFE")}, SheetCase{"subtotal", "xfc", 2, "B", "C", std::nullopt},
        SheetCase{"subtotal", "xfd", 2, "B", "C", past("XFE")},
        SheetCase{"subtotal", "A", 1, " xfz ", "C", past("XFZ")},
        SheetCase{"subtotal", "ZZZZZZZZ", 0, "B", "C", past("ZZZZZZZZ")},
        // Columns below A are not looked at.
        SheetCase{"subtotal", "1", 5000, "@", "-", std::nullopt},
        // More levels than any sheet takes, wherever the free area starts.
        SheetCase{"subtotal", "A", 5462, "B", "1",
                  "5462 columns in the group need 16386 free columns, but a sheet has at most 16384 "
                  "(limit: 5461 columns in the group)"},
        SheetCase{"subtotal", "A", most, "B", "C",
                  "2147483647 columns in the group need 6442450941 free columns, but a sheet has at most 16384 "
                  "(limit: 5461 columns in the group)"},
        // Variant 01 fills nine free columns, variant 02 ten.
        SheetCase{"01", "AAA", 0, "ABC", "XEV", std::nullopt}, SheetCase{"01", "A", 0, "B", "XEW", past("XFE")},
        SheetCase{"02", "A", 0, "B", "XEU", std::nullopt}, SheetCase{"02", "A", 0, "B", "XEV", past("XFE")},
        // The first column past XFD in the sheet's order.
        SheetCase{"01", "XFZ", 0, "XFF", "C", past("XFF")}, SheetCase{"02", "A", 0, "XFZ", "XFD", past("XFE")}));

}  // namespace
}  // namespace sumwright
