// Typed lines as the console delivers them, and the text and number answers
// they give.
//
// Input: the first byte sets the size of the pieces in which the rest arrives
// (as reads from a pipe would deliver it); the rest is split into lines.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/line_input.h"
#include "console/prompted_input.h"
#include "fuzz_check.h"

namespace {

using sumwright::LineInput;
using sumwright::number_answer;
using sumwright::number_answer_limit;
using sumwright::text_answer;
using sumwright::text_answer_limit;

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view without_leading_blanks(std::string_view line) {
    while (!line.empty() && is_blank(line.front())) {
        line.remove_prefix(1);
    }
    return line;
}

// The lines a stream holds: one per line feed, a carriage return before it
// dropped; what follows the last line feed is a line when it is not empty.
std::vector<std::string> reference_lines(std::string_view stream) {
    std::vector<std::string> lines;
    for (;;) {
        const auto end = stream.find('\n');
        if (end == std::string_view::npos) {
            if (!stream.empty()) {
                lines.emplace_back(stream);
            }
            return lines;
        }
        std::string_view line = stream.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        stream.remove_prefix(end + 1);
    }
}

std::int32_t saturated(long double value) {
    constexpr auto low = static_cast<long double>(std::numeric_limits<std::int32_t>::min());
    constexpr auto high = static_cast<long double>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::clamp(value, low, high));
}

// The value of a number field that is a plain decimal: an optional sign,
// digits, and at most one point with digits around it, no exponent, few
// enough significant digits that the exact rounding below is what a double
// gives too. Worked out on the digits themselves: halves go to the even
// neighbour. Nothing for any other field.
std::optional<std::int32_t> reference_number(std::string_view line) {
    line = without_leading_blanks(line);
    std::string_view field = line.substr(0, std::min(line.find_first_of(" \t,"), line.size()));
    field = field.substr(0, number_answer_limit);
    bool negative = false;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    const auto point = field.find('.');
    const std::string_view whole = field.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : field.substr(point + 1);
    const auto all_digits = [](std::string_view text) { return std::all_of(text.begin(), text.end(), is_digit); };
    if (!all_digits(whole) || !all_digits(fraction) || whole.size() + fraction.size() == 0) {
        return std::nullopt;
    }
    if (point == std::string_view::npos) {
        // Integers of any length: saturate at the 32-bit limits.
        long double magnitude = 0;
        for (const char c : whole) {
            magnitude = std::min(magnitude * 10 + (c - '0'), 1e12L);
        }
        return saturated(negative ? -magnitude : magnitude);
    }
    const std::string_view significant = whole.substr(std::min(whole.find_first_not_of('0'), whole.size()));
    if (significant.size() + fraction.size() > 15) {
        return std::nullopt;
    }
    long double value = 0;
    for (const char c : whole) {
        value = value * 10 + (c - '0');
    }
    const std::string_view after_first = fraction.empty() ? std::string_view{} : fraction.substr(1);
    const bool rest_is_zero = after_first.find_first_not_of('0') == std::string_view::npos;
    const int first = fraction.empty() ? 0 : fraction.front() - '0';
    const bool odd = static_cast<std::int64_t>(value) % 2 == 1;
    if (first > 5 || (first == 5 && (!rest_is_zero || odd))) {
        value += 1;
    }
    return saturated(negative ? -value : value);
}

void check_text_answer(std::string_view line) {
    const std::string answer = text_answer(line);
    FUZZ_CHECK(answer.size() <= text_answer_limit, "a text answer holds at most 4096 characters");
    const std::string_view start = without_leading_blanks(line);
    if (!start.empty() && start.front() == '"') {
        FUZZ_CHECK(start.substr(1).starts_with(answer), "a quoted answer is the text after the quote");
        FUZZ_CHECK(answer.find('"') == std::string::npos, "a quoted answer ends at the next quote");
        const auto closing = start.find('"', 1);
        const std::size_t available = (closing == std::string_view::npos ? start.size() : closing) - 1;
        FUZZ_CHECK(answer.size() == std::min(available, text_answer_limit), "nothing inside the quotes is lost");
    } else {
        FUZZ_CHECK(start.starts_with(answer), "an answer is the line after its leading blanks");
        FUZZ_CHECK(answer.find(',') == std::string::npos, "an answer ends at the first comma");
        const std::size_t available = std::min(start.find(','), start.size());
        FUZZ_CHECK(answer.size() == std::min(available, text_answer_limit), "nothing before the comma is lost");
    }
}

void check_number_answer(std::string_view line) {
    const std::int32_t value = number_answer(line);
    if (const auto expected = reference_number(line)) {
        FUZZ_CHECK(value == *expected, "a plain decimal reads as its rounded, saturated value");
    }
    if (line.find_first_of("0123456789abcdefABCDEF") == std::string_view::npos) {
        FUZZ_CHECK(value == 0, "a line without any digit gives 0");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t offset = 0;
    LineInput input([&](char* buffer, std::size_t capacity) {
        const std::size_t count = std::min({piece, capacity, stream.size() - offset});
        stream.copy(buffer, count, offset);
        offset += count;
        return count;
    });
    std::vector<std::string> lines;
    while (auto line = input.next_line()) {
        lines.push_back(std::move(*line));
    }
    FUZZ_CHECK(lines == reference_lines(stream), "lines come out as the stream holds them, whatever the pieces");
    FUZZ_CHECK(!input.next_line(), "an ended stream stays ended");
    for (const auto& line : lines) {
        check_text_answer(line);
        check_number_answer(line);
    }
    return 0;
}
