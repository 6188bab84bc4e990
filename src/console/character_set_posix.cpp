#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <cwchar>

#include "console/character_set.h"

namespace sumwright::character_set {
namespace {

// The character type of the user's locale, used for the terminal alone, and
// whether it is UTF-8.
struct UserCharacters {
    locale_t locale;
    bool utf8;
};

const UserCharacters& user_characters() {
    static const UserCharacters characters = [] {
        if (const locale_t installed = newlocale(LC_CTYPE_MASK, "", nullptr)) {
            return UserCharacters{installed, std::strcmp(nl_langinfo_l(CODESET, installed), "UTF-8") == 0};
        }
        // A locale named in the environment but not installed (en_US.UTF-8
        // where only C.utf8 is) still gives its codeset; a UTF-8 one is
        // measured as C.UTF-8 measures.
        const bool utf8 = names_utf8(locale_name_in_environment());
        const locale_t stand_in = utf8 ? newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr) : nullptr;
        return UserCharacters{stand_in != nullptr ? stand_in : newlocale(LC_CTYPE_MASK, "C", nullptr), utf8};
    }();
    return characters;
}

}  // namespace

bool utf8_locale() { return user_characters().utf8; }

std::size_t column_width(char32_t character) {
    const locale_t before = uselocale(user_characters().locale);
    const int width = ::wcwidth(static_cast<wchar_t>(character));
    uselocale(before);
    return width < 0 ? 1 : static_cast<std::size_t>(width);
}

}  // namespace sumwright::character_set
