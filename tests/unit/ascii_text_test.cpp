#include "text/ascii_text.h"

#include <gtest/gtest.h>

#include <string>

namespace sumwright {
namespace {

// Every byte value, at every offset of texts long enough for the block-wise
// work and its byte-wise rest: only a to z (A to Z) change.
TEST(AsciiCase, ChangesOnlyTheAsciiLettersWhateverTheLength) {
    for (std::size_t length = 0; length <= 300; ++length) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            text.push_back(static_cast<char>((i * 7 + length) % 256));
        }
        std::string upper = text;
        upper_case(upper);
        std::string lower = text;
        lower_case(lower);
        ASSERT_EQ(upper.size(), length);
        ASSERT_EQ(lower.size(), length);
        for (std::size_t i = 0; i < length; ++i) {
            const char c = text[i];
            ASSERT_EQ(upper[i], c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) << "length " << length << " at " << i;
            ASSERT_EQ(lower[i], c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) << "length " << length << " at " << i;
        }
    }
    EXPECT_EQ(upper_cased("az AZ 09 @[`{ \xe0\xff"), "AZ AZ 09 @[`{ \xe0\xff");
}

TEST(TrimSpaces, OnlySpacesAtBothEnds) {
    EXPECT_EQ(trim_spaces("  ab c  "), "ab c");
    EXPECT_EQ(trim_spaces("\tab\t"), "\tab\t");
    EXPECT_EQ(trim_spaces("   "), "");
    EXPECT_EQ(trim_spaces(""), "");
}

}  // namespace
}  // namespace sumwright
