#include "report/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace sumwright {
namespace {

// Every name of HTML's named-reference table that upper-case text can hold,
// with and without the semicolon where a browser decodes both, and "&#".
TEST(ProtectCharacterReferences, EscapesWhatABrowserWouldDecode) {
    struct Case {
        const char* line;
        const char* protected_line;
    };
    for (const auto& [line, expected] : {
             Case{R"("GT="&GT2&", D)=")", R"("GT="&amp;GT2&", D)=")"},
             Case{R"("<<<  "&LT2;"")", R"("<<<  "&amp;LT2;"")"},
             Case{"&AMP", "&amp;AMP"},
             Case{"&COPY1", "&amp;COPY1"},
             Case{"&ETH", "&amp;ETH"},
             Case{"&QUOTA", "&amp;QUOTA"},
             Case{"&REG;", "&amp;REG;"},
             Case{"&THORN", "&amp;THORN"},
             Case{"&DD;", "&amp;DD;"},
             Case{"&ENG;", "&amp;ENG;"},
             Case{"&TRADE;", "&amp;TRADE;"},
             Case{"&#65", "&amp;#65"},
             Case{"&#", "&amp;#"},
             Case{"&#x41", "&amp;#x41"},
             Case{"&&GT", "&&amp;GT"},
         }) {
        EXPECT_EQ(protect_character_references(line), expected) << line;
    }
}

// Names a browser leaves as written: unknown ones with a semicolon, and the
// three that need one, without it.
TEST(ProtectCharacterReferences, LeavesEverythingElseAsItIs) {
    for (const char* line :
         {R"(=IF(F2<>"";T("SUBTOTAL_01(A="&A2&", D)=");""))", R"("<<<  "&J2;"")", R"("<<<  "&AF10;"")", "&X1;",
          "&NBSP;", "&DD", "&ENG1", "&TRADE", "&AM", "&G", "&L1&", "&ET", "&", "a & b", "&;", "<br>"}) {
        EXPECT_EQ(protect_character_references(line), line) << line;
    }
}

// Lines are searched several bytes at a time: an "&" is found at every
// place in a line, the last byte and the bytes around a step's edges too.
TEST(ProtectCharacterReferences, FindsAnAmpersandAnywhere) {
    for (std::size_t place = 0; place < 40; ++place) {
        const std::string filler(place, 'X');
        const auto placed = [&filler](std::string_view middle, std::string_view end) {
            std::string line = filler;
            line.append(middle).append(end);
            return line;
        };
        EXPECT_EQ(protect_character_references(placed("&GT&&#", filler)), placed("&amp;GT&&amp;#", filler));
        EXPECT_EQ(protect_character_references(placed("&A&", "")), placed("&A&", ""));
        EXPECT_EQ(protect_character_references(placed("&#", "")), placed("&amp;#", ""));
    }
}

}  // namespace
}  // namespace sumwright
