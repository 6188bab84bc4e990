#include "generators/formula_template.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

constexpr TemplateValues plain{"b", "d", "2", "f", ";"};

struct FillCase {
    const char* formula_template;
    TemplateValues values;
    const char* formula;
};

class FillFormulaTemplate : public testing::TestWithParam<FillCase> {};

TEST_P(FillFormulaTemplate, ReplacesEverySymbolOnceThenUpperCases) {
    EXPECT_EQ(fill_formula_template(GetParam().formula_template, GetParam().values), GetParam().formula);
}

INSTANTIATE_TEST_SUITE_P(
    Symbols, FillFormulaTemplate,
    testing::Values(FillCase{"=SUMIF({G}:{G}{S}{G}{r}{S}{D}:{D})", plain, "=SUMIF(B:B;B2;D:D)"},
                    // {F} is the answer as typed, every {F+k} comes from the column conversion.
                    FillCase{"{F}{r}|{F+0}{r}|{F+1}", {"b", "d", "2", " f ", ";"}, " F 2|F2|G"},
                    FillCase{"{F+1},{F+2},{F+9}", {"", "", "", "ay", ";"}, "AZ,BA,BH"},
                    // The separator also stands inside text constants.
                    FillCase{"&\"{S}\"&", {"", "", "", "", ","}, "&\",\"&"},
                    // A value is not searched for symbols again.
                    FillCase{"{G}|{D}", {"{d}", "{S}", "", "", ";"}, "{D}|{S}"},
                    // Braces around anything but a symbol stay.
                    FillCase{"{x}{F+}{F+-1}{F+1a}{}{r", plain, "{X}{F+}{F+-1}{F+1A}{}{R"},
                    FillCase{"{{r}}", plain, "{2}"},
                    // Only a to z change case; other bytes are left alone.
                    FillCase{"=t(\"ab\xe4\xdf\")&{G}", {"x\xe9", "", "", "", ";"}, "=T(\"AB\xe4\xdf\")&X\xe9"},
                    FillCase{"{G}{r}", {"", "", "-3", "", ";"}, "-3"}));

}  // namespace
}  // namespace sumwright
