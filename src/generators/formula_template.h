#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sumwright {

// What the symbols of a formula template stand for.
struct TemplateValues {
    std::string_view group_column;       // {G}, as typed
    std::string_view data_column;        // {D}, as typed
    std::string_view first_row_text;     // {r}
    std::string_view free_column;        // {F}, as typed; {F+k} is the column k places to its right
    std::string_view formula_separator;  // {S}
};

// The formula a template stands for: every symbol is replaced by its value in
// one pass (a value is never searched for symbols itself), then the whole
// formula is upper-cased. {F+k} takes the column letters that the column
// conversion gives for the free column's number plus k. Braces that do not
// enclose a known symbol are kept as they are.
std::string fill_formula_template(std::string_view formula_template, const TemplateValues& values);

// The largest k of the template's {F+k} symbols; 0 when it has none.
std::int64_t largest_free_offset(std::string_view formula_template);

}  // namespace sumwright
