#include "console/character_set.h"

#include <gtest/gtest.h>

#include <string_view>

namespace sumwright::character_set {
namespace {

// The codeset in a locale's name, for a locale that is not installed.
TEST(CharacterSet, ALocaleNameNamesUtf8ByItsCodesetInAnyCase) {
    for (const std::string_view name : {"en_US.UTF-8", "de_DE.utf8@euro", "C.Utf-8", "fr_FR.UTF8"}) {
        EXPECT_TRUE(names_utf8(name)) << name;
    }
    for (const std::string_view name : {"", "C", "POSIX", "en_US", "de_DE.ISO-8859-15@euro", "utf8", "ru_RU.KOI8-R"}) {
        EXPECT_FALSE(names_utf8(name)) << name;
    }
}

}  // namespace
}  // namespace sumwright::character_set
