#include "dialogue/web_link.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

struct LinkCase {
    const char* argument0;
    const char* web_link;
    const char* link_program_name;
};

void PrintTo(const LinkCase& link_case, std::ostream* out) {
    *out << testing::PrintToString(std::string(link_case.argument0));
}

class DeriveWebLink : public testing::TestWithParam<LinkCase> {};

TEST_P(DeriveWebLink, FromTheProgramName) {
    const auto link = derive_web_link(GetParam().argument0);
    ASSERT_TRUE(link.has_value()) << GetParam().argument0;
    EXPECT_EQ(link->web_link, GetParam().web_link);
    EXPECT_EQ(link->link_program_name, GetParam().link_program_name);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DeriveWebLink,
    testing::Values(LinkCase{R"(C:\Tools\WWW.Abc.Def.exe)", "http://www.abc.def", "www.abc.def.exe"},
                    LinkCase{"./www.example.com.exe", "http://www.example.com", "www.example.com.exe"},
                    // A marker in a directory name counts; separators become part of the link.
                    LinkCase{R"(C:\www.sites\prog.exe)", R"(http://www.sites\prog)", R"(www.sites\prog.exe)"},
                    // The first kind found wins over a later kind standing earlier.
                    LinkCase{"https.first.www.second.exe", "http://www.second", "www.second.exe"},
                    LinkCase{"HTTPS.Secure.Example.exe", "https://secure.example", "https.secure.example.exe"},
                    LinkCase{"http.plain.example.exe", "http://plain.example", "http.plain.example.exe"},
                    // "http." is searched before "https.", wherever each stands.
                    LinkCase{"http.x.https.y.exe", "http://x.https.y", "http.x.https.y.exe"},
                    // The text after the last occurrence.
                    LinkCase{"www.abc.www.def.exe", "http://www.def", "www.def.exe"},
                    // Started without ".exe" (from cmd, or on Linux): the whole name counts.
                    LinkCase{"www.mysite.com", "http://www.mysite.com", "www.mysite.com.exe"},
                    LinkCase{"./www.site.ex", "http://www.site.ex", "www.site.ex.exe"},
                    LinkCase{"WWW.Shop.EXE", "http://www.shop", "www.shop.exe"},
                    // A marker at the very end gives the bare prefix.
                    LinkCase{"/x/www..exe", "http://www.", "www..exe"}, LinkCase{"www.", "http://www.", "www..exe"},
                    // Spaces around the name go; inside it they stay, the program name is trimmed.
                    LinkCase{"  www.abc.exe  ", "http://www.abc", "www.abc.exe"},
                    LinkCase{"  www.a b .exe  ", "http://www.a b ", "www.a b.exe"},
                    LinkCase{"www. spaced.exe", "http://www. spaced", "www. spaced.exe"},
                    // Only A-Z are lower-cased.
                    LinkCase{"WWW.\xC4Z.exe", "http://www.\xC4z", "www.\xC4z.exe"}));

TEST(DeriveWebLinkWithoutMarker, GivesNothing) {
    for (const char* name : {"", "a", "sumwright.exe", "/usr/bin/sumwright", "http:/x.exe", "wwwx.exe", "www.exe",
                             "https.exe", " www.exe "}) {
        EXPECT_FALSE(derive_web_link(name).has_value()) << name;
    }
}

}  // namespace
}  // namespace sumwright
