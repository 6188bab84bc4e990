#include "report/html_text.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

TEST(ProtectCharacterReferences, LeavesOrdinaryFormulasAsTheyAre) {
    for (const char* line :
         {R"(=IF(F2<>"";T("SUBTOTAL_01(A="&A2&", D)=");""))", R"(=SUM(INDIRECT("D"&TEXT(ROW();"#"))))", R"("<<<  "&J2)",
          "&", "a & b", "&;", "&AM", "&G", "&L1&", "&ET", "<br>"}) {
        EXPECT_EQ(protect_character_references(line), line) << line;
    }
}

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
             Case{"&REG", "&amp;REG"},
             Case{"&THORN", "&amp;THORN"},
             Case{"&#65", "&amp;#65"},
             Case{"&#x41", "&amp;#x41"},
             Case{"&nbsp;", "&amp;nbsp;"},
             Case{"&X1;", "&amp;X1;"},
             Case{"&&GT", "&&amp;GT"},
         }) {
        EXPECT_EQ(protect_character_references(line), expected) << line;
    }
}

}  // namespace
}  // namespace sumwright
