#include "console/line_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace sumwright {
namespace {

// Hands out the stream in pieces of at most `piece` bytes.
LineInput input_of(const std::string& stream, std::size_t piece = 3) {
    auto position = std::make_shared<std::size_t>(0);
    return LineInput([stream, piece, position](char* buffer, std::size_t size) {
        const std::size_t count = std::min({piece, size, stream.size() - *position});
        std::memcpy(buffer, stream.data() + *position, count);
        *position += count;
        return count;
    });
}

std::vector<std::string> all_lines(LineInput input) {
    std::vector<std::string> lines;
    while (auto line = input.next_line()) {
        lines.push_back(*line);
    }
    return lines;
}

// Lines end at line feeds, across reads; a carriage return goes only before
// a line feed, and a last line without one is kept.
TEST(LineInput, SplitsAtLineFeedsAcrossReads) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(all_lines(input_of("1\n\nabc def\n")), (Lines{"1", "", "abc def"}));
    EXPECT_EQ(all_lines(input_of("")), Lines{});
    EXPECT_EQ(all_lines(input_of("a\r\nb\rc\n\r\n")), (Lines{"a", "b\rc", ""}));
    EXPECT_EQ(all_lines(input_of("1\n2")), (Lines{"1", "2"}));
}

TEST(LineInput, KeepsOnlyTheBeginningOfAnOverlongLine) {
    const std::string overlong(LineInput::line_limit + 100000, 'x');
    const auto lines = all_lines(input_of(overlong + "\nnext\n" + overlong, 70000));
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[0].size(), LineInput::line_limit);
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(lines[2].size(), LineInput::line_limit);
}

}  // namespace
}  // namespace sumwright
