#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <cwchar>

#include "console/character_set.h"

namespace sumwright::character_set {
namespace {

// The character type of the user's locale (LC_ALL, LC_CTYPE, LANG), used
// for the terminal alone: the program's own locale stays "C".
locale_t user_characters() {
    static const locale_t characters = [] {
        locale_t found = newlocale(LC_CTYPE_MASK, "", nullptr);
        return found != nullptr ? found : newlocale(LC_CTYPE_MASK, "C", nullptr);
    }();
    return characters;
}

}  // namespace

bool utf8_locale() {
    static const bool utf8 =
        user_characters() != nullptr && std::strcmp(nl_langinfo_l(CODESET, user_characters()), "UTF-8") == 0;
    return utf8;
}

std::size_t column_width(std::string_view character) {
    const auto lead = static_cast<unsigned char>(character[0]);
    const std::size_t continuations = character.size() - 1;
    char32_t code = continuations == 0 ? lead : lead & (0x7FU >> (continuations + 1));
    for (std::size_t i = 1; i < character.size(); ++i) {
        code = (code << 6U) | (static_cast<unsigned char>(character[i]) & 0x3FU);
    }
    const locale_t before = uselocale(user_characters());
    const int width = ::wcwidth(static_cast<wchar_t>(code));
    uselocale(before);
    return width < 0 ? 1 : static_cast<std::size_t>(width);
}

}  // namespace sumwright::character_set
