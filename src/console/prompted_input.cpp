#include "console/prompted_input.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace sumwright {
namespace {

constexpr std::int64_t int32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t int32_min = std::numeric_limits<std::int32_t>::min();

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_exponent_mark(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }

std::string_view skip_blanks(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size() && is_blank(line[start])) {
        ++start;
    }
    return line.substr(start);
}

std::int32_t clamp_to_int32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp(value, int32_min, int32_max));
}

// The number field: up to the first blank, tab or comma, double quotes
// dropped, at most 67 characters.
std::string number_field_of(std::string_view line) {
    std::string field;
    for (const char c : skip_blanks(line)) {
        if (is_blank(c) || c == ',' || field.size() == number_answer_limit) {
            break;
        }
        if (c != '"') {
            field += c;
        }
    }
    return field;
}

int digit_value(char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return std::numeric_limits<int>::max();
}

// Leading digits of the given radix; accumulation stops growing past the
// 32-bit range so the value saturates instead of overflowing.
std::int64_t leading_digits(std::string_view digits, int radix) {
    std::int64_t value = 0;
    for (const char c : digits) {
        const int digit = digit_value(c);
        if (digit >= radix) {
            break;
        }
        value = std::min(value * radix + digit, int32_max + 1);
    }
    return value;
}

std::int32_t radix_number(std::string_view field) {
    switch (field[1]) {
        case 'H':
        case 'h':
            return clamp_to_int32(leading_digits(field.substr(2), 16));
        case 'O':
        case 'o':
            return clamp_to_int32(leading_digits(field.substr(2), 8));
        default:
            return clamp_to_int32(leading_digits(field.substr(2), 2));
    }
}

bool has_radix_prefix(std::string_view field) {
    return field.size() >= 2 && field[0] == '&' && std::string_view("HhOoBb").find(field[1]) != std::string_view::npos;
}

// The longest leading decimal number: sign, digits, point, digits, and an
// exponent written with e, E, d or D. Hexadecimal floats, infinities and
// "nan" are not decimal numbers and are not read.
std::string leading_decimal_number(std::string_view field) {
    std::string number;
    std::size_t i = 0;
    const auto take_digits = [&] {
        std::size_t count = 0;
        while (i < field.size() && is_digit(field[i])) {
            number += field[i++];
            ++count;
        }
        return count;
    };
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        number += field[i++];
    }
    std::size_t mantissa_digits = take_digits();
    if (i < field.size() && field[i] == '.') {
        number += field[i++];
        mantissa_digits += take_digits();
    }
    if (mantissa_digits == 0) {
        return "0";
    }
    if (i < field.size() && is_exponent_mark(field[i])) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < field.size() && (field[j] == '+' || field[j] == '-')) {
            exponent += field[j++];
        }
        const std::size_t first_digit = j;
        while (j < field.size() && is_digit(field[j])) {
            exponent += field[j++];
        }
        if (j > first_digit) {
            number += exponent;
        }
    }
    return number;
}

std::int32_t decimal_number(std::string_view field) {
    const double value = std::strtod(leading_decimal_number(field).c_str(), nullptr);
    // The default rounding mode rounds halves to the even neighbour.
    const double rounded = std::nearbyint(value);
    if (rounded >= static_cast<double>(int32_max)) {
        return static_cast<std::int32_t>(int32_max);
    }
    if (rounded <= static_cast<double>(int32_min)) {
        return static_cast<std::int32_t>(int32_min);
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t integer_number(std::string_view field) {
    bool negative = false;
    if (!field.empty() && (field[0] == '+' || field[0] == '-')) {
        negative = field[0] == '-';
        field.remove_prefix(1);
    }
    const std::int64_t magnitude = leading_digits(field, 10);
    return clamp_to_int32(negative ? -magnitude : magnitude);
}

}  // namespace

std::string text_answer(std::string_view line) {
    std::string_view field = skip_blanks(line);
    if (!field.empty() && field.front() == '"') {
        field.remove_prefix(1);
        field = field.substr(0, field.find('"'));
    } else {
        field = field.substr(0, field.find(','));
    }
    return std::string(field.substr(0, text_answer_limit));
}

std::int32_t number_answer(std::string_view line) {
    const std::string field = number_field_of(line);
    // A radix prefix is looked at first, so that hexadecimal digits such as
    // "E" and "D" are not taken for an exponent.
    if (has_radix_prefix(field)) {
        return radix_number(field);
    }
    if (field.find_first_of(".eEdD") != std::string::npos) {
        return decimal_number(field);
    }
    return integer_number(field);
}

namespace {

std::string read_answer_line(Console& console, std::string_view prompt) {
    const bool interactive = console.is_interactive();
    console.begin_answer();
    if (interactive) {
        console.write_text(prompt);
        console.write_text("? ");
    }
    console.flush();
    std::optional<std::string> line = console.read_line();
    if (!line) {
        throw InputEnded();
    }
    // On a terminal the echo of Enter already ended the line.
    if (!interactive) {
        console.write_line("");
    }
    return std::move(*line);
}

}  // namespace

std::string prompt_text(Console& console, std::string_view prompt) {
    return text_answer(read_answer_line(console, prompt));
}

std::int32_t prompt_number(Console& console, std::string_view prompt) {
    return number_answer(read_answer_line(console, prompt));
}

}  // namespace sumwright
