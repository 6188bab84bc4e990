#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <cwchar>

#include "console/character_set.h"

namespace sumwright::character_set {
namespace {

// A locale named in the environment but not installed (en_US.UTF-8 where
// only C.utf8 is) still gives its codeset.
bool named_utf8() {
    static const bool named = names_utf8(locale_name_in_environment());
    return named;
}

// The character type of the user's locale, used for the terminal alone. A
// UTF-8 locale that is not installed is measured as C.UTF-8 measures.
locale_t user_characters() {
    static const locale_t characters = [] {
        locale_t found = newlocale(LC_CTYPE_MASK, "", nullptr);
        if (found == nullptr && named_utf8()) {
            found = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        }
        return found != nullptr ? found : newlocale(LC_CTYPE_MASK, "C", nullptr);
    }();
    return characters;
}

}  // namespace

bool utf8_locale() {
    static const bool utf8 = [] {
        locale_t installed = newlocale(LC_CTYPE_MASK, "", nullptr);
        if (installed == nullptr) {
            return named_utf8();
        }
        const bool codeset_utf8 = std::strcmp(nl_langinfo_l(CODESET, installed), "UTF-8") == 0;
        freelocale(installed);
        return codeset_utf8;
    }();
    return utf8;
}

std::size_t column_width(char32_t character) {
    const locale_t before = uselocale(user_characters());
    const int width = ::wcwidth(static_cast<wchar_t>(character));
    uselocale(before);
    return width < 0 ? 1 : static_cast<std::size_t>(width);
}

}  // namespace sumwright::character_set
