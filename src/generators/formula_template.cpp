#include "generators/formula_template.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

#include "addressing/column_letters.h"
#include "text/ascii_text.h"

namespace sumwright {
namespace {

// k of a symbol {F+k} (the text between the braces); nothing for any other
// text. The offset is plain decimal digits, never signed.
std::optional<std::int64_t> free_offset(std::string_view symbol) {
    constexpr std::string_view offset_prefix = "F+";
    if (!symbol.starts_with(offset_prefix)) {
        return std::nullopt;
    }
    const std::string_view digits = symbol.substr(offset_prefix.size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::int64_t offset = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), offset);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return offset;
}

// The value of one symbol (the text between the braces), or nothing when it
// is not a symbol.
std::optional<std::string> symbol_value(std::string_view symbol, const TemplateValues& values) {
    if (symbol == "G") {
        return std::string(values.group_column);
    }
    if (symbol == "D") {
        return std::string(values.data_column);
    }
    if (symbol == "r") {
        return std::string(values.first_row_text);
    }
    if (symbol == "F") {
        return std::string(values.free_column);
    }
    if (symbol == "S") {
        return std::string(values.formula_separator);
    }
    if (const auto offset = free_offset(symbol)) {
        return column_offset(values.free_column, *offset);
    }
    return std::nullopt;
}

}  // namespace

std::string fill_formula_template(std::string_view formula_template, const TemplateValues& values) {
    std::string formula;
    formula.reserve(formula_template.size() + formula_template.size() / 2);
    std::size_t position = 0;
    while (position < formula_template.size()) {
        const std::size_t open = formula_template.find('{', position);
        if (open == std::string_view::npos) {
            break;
        }
        const std::size_t close = formula_template.find('}', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        formula += formula_template.substr(position, open - position);
        const std::optional<std::string> value =
            symbol_value(formula_template.substr(open + 1, close - open - 1), values);
        if (value) {
            formula += *value;
            position = close + 1;
        } else {
            formula += '{';
            position = open + 1;
        }
    }
    formula += formula_template.substr(position);
    upper_case(formula);
    return formula;
}

std::int64_t largest_free_offset(std::string_view formula_template) {
    std::int64_t largest = 0;
    for (std::size_t open = formula_template.find('{'); open != std::string_view::npos;
         open = formula_template.find('{', open + 1)) {
        const std::size_t close = formula_template.find('}', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        largest = std::max(largest, free_offset(formula_template.substr(open + 1, close - open - 1)).value_or(0));
    }
    return largest;
}

}  // namespace sumwright
