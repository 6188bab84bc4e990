#include "console/character_set.h"

#include <cstdlib>
#include <string>

#include "text/ascii_text.h"

namespace sumwright::character_set {

bool names_utf8(std::string_view locale_name) {
    const std::size_t dot = locale_name.find('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    std::string codeset(locale_name.substr(dot + 1, locale_name.find('@', dot) - dot - 1));
    lower_case(codeset);
    return codeset == "utf-8" || codeset == "utf8";
}

std::string_view locale_name_in_environment() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

}  // namespace sumwright::character_set
